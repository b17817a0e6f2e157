#include "platform/desktop/webengine/webenginedocument.h"

#include "platform/api/platformerror.h"
#include "platform/api/systemencoding.h"
#include "platform/desktop/text/userfile.h"
#include "platform/desktop/webengine/pagedocument.h"
#include "platform/desktop/webengine/pagewaiting.h"

#include <QWebEngineDownloadRequest>
#include <QWebEnginePage>
#include <utility>

WebEngineDocument::WebEngineDocument(PageWaiting &control, QWebEnginePage *page)
    : m_control(control)
    , m_page(page)
{
}

QString WebEngineDocument::DocumentBodyInnerHTML()
{
    m_control.requireDocument();
    return PageDocument::bodyInnerHTML(
        [this](const QString &script) { return m_control.evaluate(script); });
}

QStringList WebEngineDocument::DocumentLinkHrefs()
{
    m_control.requireDocument();
    return PageDocument::linkHrefs(
        [this](const QString &script) { return m_control.evaluate(script); });
}

void WebEngineDocument::ExecWB(int command, int option, const QString &name)
{
    // Every option saves without asking: the program never wants the engine's own dialog.
    Q_UNUSED(option);
    if (command != SaveAsCommand)
        throw PlatformError(ErrorCode::InvalidProcedureCall,
                            tr("The command %1 is not supported.").arg(command));
    m_control.requireDocument();
    using Callback = PageWaiting::Callback;
    const QString text
        = m_control
              .waitForAnswer(
                  [this](const Callback &done) {
                      m_page->toPlainText([done](const QString &text) { done(QVariant(text)); });
                  },
                  PageWaiting::AnswerTimeoutMs)
              .toString();

    // A text file for the desktop's own text tools, so in the system's 8-bit encoding.
    writeUserFile(name, toSystemEncoding(text));
}

void WebEngineDocument::SavePage(const QString &path, bool singleFile)
{
    m_control.requireDocument();
    m_savingPage = true;
    m_page->save(path,
                 singleFile ? QWebEngineDownloadRequest::MimeHtmlSaveFormat
                            : QWebEngineDownloadRequest::CompleteHtmlSaveFormat);
}

bool WebEngineDocument::takeSavingPage()
{
    return std::exchange(m_savingPage, false);
}
