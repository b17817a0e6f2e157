#include "fakewebbrowserparts.h"

#include "fakewebbrowsercontrol.h"
#include "platform/api/platformerror.h"

#include <QFileInfo>
#include <QPrinter>
#include <QTextDocument>
#include <utility>

namespace {

void requireDocument(const FakeWebBrowserControl &control)
{
    if (!control.hasDocument)
        throw PlatformError(ErrorCode::ObjectNotSet, QStringLiteral("No document"));
}

} // namespace

QString FakeDocumentAccess::DocumentBodyInnerHTML()
{
    m_control.calls.append(QStringLiteral("Document.Body.innerHTML"));
    requireDocument(m_control);
    return m_control.bodyInnerHTML;
}

QStringList FakeDocumentAccess::DocumentLinkHrefs()
{
    m_control.calls.append(QStringLiteral("Document.Links"));
    requireDocument(m_control);
    return m_control.links;
}

void FakeDocumentAccess::ExecWB(int command, int option, const QString &name)
{
    m_control.calls.append(QStringLiteral("ExecWB:%1,%2,%3").arg(command).arg(option).arg(name));
    if (command != SaveAsCommand)
        throw PlatformError(ErrorCode::InvalidProcedureCall, QStringLiteral("Not supported"));
    requireDocument(m_control);
    if (m_control.failExecWB)
        throw PlatformError(ErrorCode::PathFileAccess, QStringLiteral("Path/File access error"));
}

void FakeDocumentAccess::SavePage(const QString &path, bool singleFile)
{
    m_control.calls.append(
        QStringLiteral("SavePage:%1,%2").arg(QFileInfo(path).fileName()).arg(singleFile));
    requireDocument(m_control);
}

void FakePageFind::FindText(const QString &text, bool matchCase, bool backward)
{
    m_calls.append(QStringLiteral("FindText:%1,%2,%3").arg(text).arg(matchCase).arg(backward));
}

void FakeZoomControl::SetZoomFactor(qreal factor)
{
    m_calls.append(QStringLiteral("SetZoomFactor:%1").arg(factor));
    zoom = factor;
}

void FakePagePrinting::PrintPage(QPrinter &printer)
{
    m_control.calls.append(QStringLiteral("PrintPage"));
    requireDocument(m_control);
    QTextDocument page(m_control.bodyInnerHTML);
    page.print(&printer);
}

void FakePagePrinting::SetPrintPreviewOpen(bool open)
{
    m_control.calls.append(QStringLiteral("SetPrintPreviewOpen:%1").arg(open));
}

void FakeDownloadControl::CancelDownloads()
{
    m_calls.append(QStringLiteral("CancelDownloads"));
    downloadsInProgress = 0;
}

void FakePageTools::ShowInspector()
{
    m_calls.append(QStringLiteral("ShowInspector"));
}

void FakePageReader::ToggleReaderView()
{
    m_calls.append(QStringLiteral("ToggleReaderView"));
}

bool FakePageReader::LeaveReaderView()
{
    m_calls.append(QStringLiteral("LeaveReaderView"));
    return std::exchange(shown, false);
}
