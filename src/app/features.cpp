#include "app/features.h"

#include "ui/blockingcontrols.h"
#include "ui/browseraccessibility.h"
#include "ui/browsinghistory.h"
#include "ui/clearbrowsingdata.h"
#include "ui/downloadswindow.h"
#include "ui/findbar.h"
#include "ui/importwindow.h"
#include "ui/pagecommands.h"
#include "ui/pagezoom.h"
#include "ui/savedsigninswindow.h"
#include "ui/signinoffers.h"
#include "ui/sitedatawindow.h"
#include "ui/sourcewindow.h"

// A new feature is one line here. The order is that of the rows after the window's own, and so
// of the page's context menu; a unit that uses another's controls comes after it.
FeatureList browserFeatures()
{
    FeatureList features;
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
