#include "platform/desktop/webengine/webenginefind.h"

#include <QWebEngineFindTextResult>
#include <QWebEnginePage>

WebEngineFind::WebEngineFind(QWebEnginePage *page)
    : m_page(page)
{
    connect(m_page, &QWebEnginePage::findTextFinished, this,
            [this](const QWebEngineFindTextResult &result) {
                // The end of a search that FindText itself ended is not news to the caller.
                if (m_quietEnds > 0 && result.numberOfMatches() == 0) {
                    --m_quietEnds;
                    return;
                }
                Q_EMIT FindResult(result.activeMatch(), result.numberOfMatches());
            });
}

void WebEngineFind::FindText(const QString &text, bool matchCase, bool backward)
{
    // The engine takes the same text again as the next match of the search under way, whatever
    // the flags: a change of case sensitivity is a new search, with its own matches and count.
    if (!text.isEmpty() && text == m_text && matchCase != m_matchCase) {
        ++m_quietEnds;
        m_page->findText(QString());
    }
    m_text = text;
    m_matchCase = matchCase;
    QWebEnginePage::FindFlags flags;
    if (matchCase)
        flags |= QWebEnginePage::FindCaseSensitively;
    if (backward)
        flags |= QWebEnginePage::FindBackward;
    m_page->findText(text, flags);
}
