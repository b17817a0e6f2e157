#include "platform/desktop/blocking/localpagerequests.h"

#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>

namespace LocalPageRequests {

void openToItsFiles(QWebEnginePage &page)
{
    page.settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
}

bool refused(const QWebEngineUrlRequestInfo &info)
{
    if (!info.requestUrl().isLocalFile())
        return false;
    const bool fromLocalPage
        = info.firstPartyUrl().isLocalFile() || info.initiator().scheme() == u"file";
    if (!fromLocalPage)
        return false;
    using Info = QWebEngineUrlRequestInfo;
    switch (info.resourceType()) {
    // What markup shows, which a script can run or draw but not read back as text; the
    // page itself, and where the user goes from it.
    case Info::ResourceTypeMainFrame:
    case Info::ResourceTypeStylesheet:
    case Info::ResourceTypeScript:
    case Info::ResourceTypeImage:
    case Info::ResourceTypeFontResource:
    case Info::ResourceTypeMedia:
    case Info::ResourceTypeFavicon:
        return false;
    default:
        // Fetches, frames (whose documents would share the page's origin), workers,
        // objects and whatever a later engine adds.
        return true;
    }
}

} // namespace LocalPageRequests
