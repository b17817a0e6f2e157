#include "platform/desktop/webengine/guardedpage.h"

#include "platform/api/openquestion.h"

GuardedPage::GuardedPage(QWebEngineProfile *profile, QObject *parent)
    : QWebEnginePage(profile, parent)
{
    m_clock.start();
    showDialog = [this](Dialog dialog, const QString &message, QString *prompt) {
        switch (dialog) {
        case Dialog::Alert:
            QWebEnginePage::javaScriptAlert(url(), message);
            return true;
        case Dialog::Confirm:
            return QWebEnginePage::javaScriptConfirm(url(), message);
        case Dialog::Prompt:
            return QWebEnginePage::javaScriptPrompt(url(), message, *prompt, prompt);
        }
        return false;
    };
    connect(this, &QWebEnginePage::printRequested, this, [this] {
        if (!mayAsk())
            return;
        const OpenQuestion::Asking open;
        Q_EMIT printAsked();
    });
}

void GuardedPage::javaScriptAlert(const QUrl &, const QString &msg)
{
    ask(Dialog::Alert, msg, nullptr);
}

bool GuardedPage::javaScriptConfirm(const QUrl &, const QString &msg)
{
    return ask(Dialog::Confirm, msg, nullptr);
}

bool GuardedPage::javaScriptPrompt(const QUrl &, const QString &msg, const QString &defaultValue,
                                   QString *result)
{
    QString answer = defaultValue;
    if (!ask(Dialog::Prompt, msg, &answer))
        return false;
    if (result)
        *result = answer;
    return true;
}

bool GuardedPage::ask(Dialog dialog, const QString &message, QString *prompt)
{
    if (!mayAsk())
        return false;
    const OpenQuestion::Asking open;
    return showDialog(dialog, message, prompt);
}

bool GuardedPage::mayAsk()
{
    const qint64 now = m_clock.elapsed();
    if (OpenQuestion::isAsking())
        return false;
    while (!m_asked.isEmpty() && now - m_asked.first() >= QuietMs)
        m_asked.removeFirst();
    if (m_refusing && m_asked.isEmpty())
        m_refusing = false;
    if (m_refusing || m_asked.size() >= MaxQuestions) {
        // A refused question counts too: the page must be quiet to be heard again.
        m_asked.append(now);
        if (!m_refusing) {
            m_refusing = true;
            Q_EMIT questionsRefused();
        }
        return false;
    }
    m_asked.append(now);
    return true;
}
