// The web control's document: what the window reads of the page and saves of it, each
// asked of the engine and waited for in a bounded local event loop.

#include "platform/api/failure.h"
#include "platform/api/platformerror.h"
#include "platform/api/systemencoding.h"
#include "platform/desktop/text/userfile.h"
#include "platform/desktop/webengine/pagedocument.h"
#include "platform/desktop/webengine/webenginebrowsercontrol.h"

#include <optional>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <QWebEngineDownloadRequest>
#include <QWebEnginePage>
#include <QWebEngineScript>

QString WebEngineBrowserControl::DocumentBodyInnerHTML()
{
    requireDocument();
    return PageDocument::bodyInnerHTML([this](const QString &script) { return evaluate(script); });
}

QStringList WebEngineBrowserControl::DocumentLinkHrefs()
{
    requireDocument();
    return PageDocument::linkHrefs([this](const QString &script) { return evaluate(script); });
}

void WebEngineBrowserControl::ExecWB(int command, int option, const QString &name)
{
    // Every option saves without asking: the program never wants the engine's own dialog.
    Q_UNUSED(option);
    if (command != WebBrowserControl::SaveAsCommand)
        throw PlatformError(ErrorCode::InvalidProcedureCall,
                            tr("The command %1 is not supported.").arg(command));
    requireDocument();
    const QString text
        = waitForAnswer([this](const Callback &done) {
              m_page->toPlainText([done](const QString &text) { done(QVariant(text)); });
          }).toString();

    // A text file for the desktop's own text tools, so in the system's 8-bit encoding.
    writeUserFile(name, toSystemEncoding(text));
}

void WebEngineBrowserControl::SavePage(const QString &path, bool singleFile)
{
    requireDocument();
    m_savingPage = true;
    m_page->save(path,
                 singleFile ? QWebEngineDownloadRequest::MimeHtmlSaveFormat
                            : QWebEngineDownloadRequest::CompleteHtmlSaveFormat);
}

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
    return waitForAnswer([this, script](const Callback &done) {
        m_page->runJavaScript(script, QWebEngineScript::ApplicationWorld, done);
    });
}

void WebEngineBrowserControl::requireDocument() const
{
    if (m_page->url().isEmpty())
        throw PlatformError(ErrorCode::ObjectNotSet, tr("No document has been loaded."));
}
