// Waiting for the page: what the control's parts ask of the engine is answered later, and the
// caller waits for it in a bounded local event loop.

#include "platform/api/platformerror.h"
#include "platform/desktop/webengine/guardedpage.h"
#include "platform/desktop/webengine/webenginebrowsercontrol.h"

#include <optional>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>

QVariant
WebEngineBrowserControl::waitForAnswer(const std::function<void(const Callback &)> &request,
                                       int timeoutMs)
{
    // The callback may come after we gave up waiting; it then finds the loop gone.
    struct Waiting
    {
        std::optional<QVariant> answer;
        QPointer<QEventLoop> loop;
    };
    auto waiting = std::make_shared<Waiting>();
    QEventLoop loop;
    waiting->loop = &loop;
    request([waiting](const QVariant &answer) {
        waiting->answer = answer;
        if (waiting->loop)
            waiting->loop->quit();
    });
    if (!waiting->answer) {
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        connect(m_page, &QObject::destroyed, &loop, &QEventLoop::quit);
        // The caller expects a plain call: no user command may run in the meantime.
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    waiting->loop.clear();
    if (!waiting->answer) {
        // A page that did not answer has likely hung; asked once the caller has had its error.
        QTimer::singleShot(0, this, &WebEngineBrowserControl::askToStopHungPage);
        throw PlatformError(ErrorCode::Unexpected, tr("The page did not answer in time."));
    }
    return *waiting->answer;
}

QVariant WebEngineBrowserControl::evaluate(const QString &script)
{
    // In the program's own script world, so the page's scripts cannot disturb the answer.
    return waitForAnswer(
        [this, script](const Callback &done) {
            m_page->runJavaScript(script, QWebEngineScript::ApplicationWorld, done);
        },
        AnswerTimeoutMs);
}

void WebEngineBrowserControl::holdHangWatch(bool held)
{
    if (held)
        m_hangWatch.pause();
    else
        m_hangWatch.resume();
}

void WebEngineBrowserControl::requireDocument() const
{
    if (m_page->url().isEmpty())
        throw PlatformError(ErrorCode::ObjectNotSet, tr("No document has been loaded."));
}
