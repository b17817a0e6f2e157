#pragma once

#include <functional>
#include <QElapsedTimer>
#include <QList>
#include <QWebEnginePage>

// The engine's page, with what a page may ask of the user bounded: its own dialogs (alert,
// confirm, prompt) and its print requests come one at a time, never on top of another
// question, and at most MaxQuestions of them in QuietMs; a page that asks more often is
// answered no (an alert unseen, a confirm or prompt declined, a print not started) without
// asking, and told about once, until it has been quiet for QuietMs.
class GuardedPage final : public QWebEnginePage
{
    Q_OBJECT

public:
    static constexpr int MaxQuestions = 3;
    static constexpr qint64 QuietMs = 10'000;

    enum class Dialog { Alert, Confirm, Prompt };

    GuardedPage(QWebEngineProfile *profile, QObject *parent);

    // Shows one of the page's dialogs and gives its answer (true for OK); prompt holds the
    // default text and receives the answer. The engine's own dialogs unless set otherwise.
    std::function<bool(Dialog dialog, const QString &message, QString *prompt)> showDialog;

Q_SIGNALS:
    // The page asks to be printed, one request at a time within the bound; the print
    // preview it opens counts as an open question until the slot returns.
    void printAsked();
    // The page's questions are answered without asking from now on, for a while.
    void questionsRefused();

protected:
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptPrompt(const QUrl &securityOrigin, const QString &msg,
                          const QString &defaultValue, QString *result) override;

private:
    bool ask(Dialog dialog, const QString &message, QString *prompt);
    // Whether the page may ask now; counts the question when it may.
    bool mayAsk();

    QList<qint64> m_asked; // when each recent question came, on m_clock
    QElapsedTimer m_clock;
    bool m_refusing = false;
};
