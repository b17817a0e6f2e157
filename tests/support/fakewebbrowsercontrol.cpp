#include "fakewebbrowsercontrol.h"

#include "platform/api/platformerror.h"

#include <QFileInfo>
#include <QPrinter>
#include <QTextDocument>
#include <QUrl>

FakeWebBrowserControl::FakeWebBrowserControl(QWidget *parent)
    : WebBrowserControl(parent)
    , m_widget(new QWidget(parent))
{
    m_widget->setFocusPolicy(Qt::StrongFocus);
}

void FakeWebBrowserControl::go(const QString &url)
{
    busy = true;
    if (!locationURL.isEmpty())
        m_back.append(locationURL);
    m_forward.clear();
    Q_UNUSED(url);
}

void FakeWebBrowserControl::Navigate(const QString &url)
{
    calls.append(QStringLiteral("Navigate:") + url);
    // Refused like the real control: nothing it could turn into an address.
    if (url.trimmed().isEmpty() || !QUrl::fromUserInput(url).isValid())
        throw PlatformError(ErrorCode::InvalidProcedureCall,
                            QStringLiteral("\"%1\" is not a valid address.").arg(url));
    if (failNavigate)
        throw PlatformError(ErrorCode::Unexpected, QStringLiteral("Navigation refused"));
    go(url);
}

void FakeWebBrowserControl::GoBack()
{
    calls.append(QStringLiteral("GoBack"));
    if (m_back.isEmpty())
        throw PlatformError(ErrorCode::Unexpected, QStringLiteral("No page to go back to"));
    m_forward.prepend(locationURL);
    locationURL = m_back.takeLast();
    busy = true;
}

void FakeWebBrowserControl::GoForward()
{
    calls.append(QStringLiteral("GoForward"));
    if (m_forward.isEmpty())
        throw PlatformError(ErrorCode::Unexpected, QStringLiteral("No page to go forward to"));
    m_back.append(locationURL);
    locationURL = m_forward.takeFirst();
    busy = true;
}

void FakeWebBrowserControl::GoHome()
{
    calls.append(QStringLiteral("GoHome"));
    go(homeUrl);
}

void FakeWebBrowserControl::GoSearch()
{
    calls.append(QStringLiteral("GoSearch"));
    go(searchUrl);
}

void FakeWebBrowserControl::Refresh()
{
    calls.append(QStringLiteral("Refresh"));
    busy = true;
}

void FakeWebBrowserControl::Stop()
{
    calls.append(QStringLiteral("Stop"));
    busy = false;
}

QString FakeWebBrowserControl::LocationURL() const
{
    if (failLocationURL)
        throw PlatformError(ErrorCode::ObjectNotSet, QStringLiteral("No location"));
    return locationURL;
}

QString FakeWebBrowserControl::DocumentBodyInnerHTML()
{
    calls.append(QStringLiteral("Document.Body.innerHTML"));
    if (!hasDocument)
        throw PlatformError(ErrorCode::ObjectNotSet, QStringLiteral("No document"));
    return bodyInnerHTML;
}

QStringList FakeWebBrowserControl::DocumentLinkHrefs()
{
    calls.append(QStringLiteral("Document.Links"));
    if (!hasDocument)
        throw PlatformError(ErrorCode::ObjectNotSet, QStringLiteral("No document"));
    return links;
}

void FakeWebBrowserControl::ExecWB(int command, int option, const QString &name)
{
    calls.append(QStringLiteral("ExecWB:%1,%2,%3").arg(command).arg(option).arg(name));
    if (failExecWB)
        throw PlatformError(ErrorCode::PathFileAccess, QStringLiteral("Path/File access error"));
}

void FakeWebBrowserControl::SavePage(const QString &path, bool singleFile)
{
    calls.append(QStringLiteral("SavePage:%1,%2").arg(QFileInfo(path).fileName()).arg(singleFile));
}

void FakeWebBrowserControl::SetFocus()
{
    ++focusCount;
    m_widget->setFocus();
}

void FakeWebBrowserControl::CancelDownloads()
{
    calls.append(QStringLiteral("CancelDownloads"));
    downloadsInProgress = 0;
}

void FakeWebBrowserControl::FindText(const QString &text, bool matchCase, bool backward)
{
    calls.append(QStringLiteral("FindText:%1,%2,%3").arg(text).arg(matchCase).arg(backward));
}

void FakeWebBrowserControl::SetZoomFactor(qreal factor)
{
    calls.append(QStringLiteral("SetZoomFactor:%1").arg(factor));
    zoom = factor;
}

void FakeWebBrowserControl::PrintPage(QPrinter &printer)
{
    calls.append(QStringLiteral("PrintPage"));
    QTextDocument page(bodyInnerHTML);
    page.print(&printer);
}

void FakeWebBrowserControl::SetPrintPreviewOpen(bool open)
{
    calls.append(QStringLiteral("SetPrintPreviewOpen:%1").arg(open));
}

void FakeWebBrowserControl::ShowInspector()
{
    calls.append(QStringLiteral("ShowInspector"));
}

void FakeWebBrowserControl::complete(const QString &url, const QString &title)
{
    // As the engine does, the page takes the zoom of its site before it is shown.
    if (zoomForAddress)
        zoom = zoomForAddress(url);
    locationURL = url;
    locationName = title;
    busy = false;
    hasDocument = true;
    Q_EMIT NavigateComplete2(url);
    if (!title.isEmpty())
        Q_EMIT TitleChange(title);
    Q_EMIT DownloadComplete();
}
