#pragma once

#include "platform/desktop/webengine/pagenotice.h"

// Our own notice over a page whose process has ended: what happened and to which address, in
// plain words, with a button that loads the page again.
class PageTroubleNotice final : public PageNotice
{
    Q_OBJECT

public:
    explicit PageTroubleNotice(QWidget *view);

    void showFor(const QString &reason, const QString &address);

Q_SIGNALS:
    void reloadRequested();
};
