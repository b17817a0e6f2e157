#pragma once

#include "platform/desktop/webengine/pagenotice.h"

#include <QUrl>

// Our own notice in place of a page that a filter rule blocks: the address, the rule that
// matched, and a button that opens the page all the same.
class BlockedPageNotice final : public PageNotice
{
    Q_OBJECT

public:
    explicit BlockedPageNotice(QWidget *view);

    void showFor(const QUrl &address, const QString &rule);
    QUrl address() const { return m_address; }

Q_SIGNALS:
    void openAnywayRequested(const QUrl &address);

private:
    QUrl m_address;
};
