#pragma once

#include "platform/api/pagefind.h"

#include <QString>

class QWebEnginePage;

// Finding text in the page, with the engine's own search.
class WebEngineFind final : public PageFind
{
    Q_OBJECT

public:
    explicit WebEngineFind(QWebEnginePage *page);

    void FindText(const QString &text, bool matchCase, bool backward) override;

private:
    QWebEnginePage *m_page;
    // The search under way in the page.
    QString m_text;
    bool m_matchCase = false;
    int m_quietEnds = 0; // ends of searches that FindText ended to start anew
};
