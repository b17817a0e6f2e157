#include "fakewebbrowsercontrol.h"

#include "platform/api/platformerror.h"

#include <QUrl>

FakeWebBrowserControl::FakeWebBrowserControl(QWidget *parent)
    : WebBrowserControl(parent)
    , m_widget(new QWidget(parent))
{
    m_widget->setFocusPolicy(Qt::StrongFocus);
    setParts({ &fakeDocument, &fakeFind, &fakeZoom, &fakePrinting, &fakeDownloads, &fakeTools,
               &fakeSignIns, &fakeReader });
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

void FakeWebBrowserControl::SetFocus()
{
    ++focusCount;
    m_widget->setFocus();
}

void FakeWebBrowserControl::complete(const QString &url, const QString &title)
{
    // As the engine does, the page takes the zoom of its site before it is shown.
    if (fakeZoom.zoomForAddress)
        fakeZoom.zoom = fakeZoom.zoomForAddress(url);
    locationURL = url;
    locationName = title;
    busy = false;
    hasDocument = true;
    Q_EMIT NavigateComplete2(url);
    if (!title.isEmpty())
        Q_EMIT TitleChange(title);
    Q_EMIT DownloadComplete();
}
