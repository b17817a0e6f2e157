#include "app/features.h"

#include "ui/accessibility/browseraccessibility.h"
#include "ui/blocking/blockingcontrols.h"
#include "ui/downloads/downloadswindow.h"
#include "ui/find/findbar.h"
#include "ui/history/browsinghistory.h"
#include "ui/import/importwindow.h"
#include "ui/page/pagecommands.h"
#include "ui/page/pagezoom.h"
#include "ui/reader/readingcomfort.h"
#include "ui/signins/savedsigninswindow.h"
#include "ui/signins/signinoffers.h"
#include "ui/sitedata/clearbrowsingdata.h"
#include "ui/sitedata/sitedatawindow.h"
#include "ui/source/sourcewindow.h"

// A new feature is one line here. The order is that of the rows after the window's own, and so
// of the page's context menu; a unit that uses another's controls comes after it.
FeatureList browserFeatures()
{
    FeatureList features;
    // First, so that Esc leaves the article before it closes or stops anything else.
    features.add<ReadingComfort>();
    features.add<FindBar>();
    features.add<BrowserAccessibility>();
    features.add<PageZoom>();
    features.add<PageCommands>();
    features.add<BlockingControls>();
    features.add<BrowsingHistory>();
    features.add<ClearBrowsingData>();
    features.add<SiteDataWindow>();
    // Its search field's icon alone would cost the start several ms.
    features.add<SavedSignInsWindow>(Made::AtFirstUse);
    features.add<ImportWindow>(Made::AtFirstUse);
    features.add<DownloadsWindow>(Made::AtFirstUse);
    features.add<PageInspector>();
    features.add<SignInOffers>();
    features.add<SourceViewer>();
    return features;
}
