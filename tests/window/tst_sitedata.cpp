// Clearing browsing data from the window's key, and the site window's buttons, on doubles.

#include "history/recenturls.h"
#include "sitedata/clearchoice.h"
#include "sitedata/sitepermissions.h"
#include "ui/clearbrowsingdata.h"
#include "ui/sitedatawindow.h"
#include "windowfixture.h"

#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

Q_DECLARE_METATYPE(ClearData::Choice)

class tst_SiteData : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void clearChosenData_data();
    void clearChosenData();
    void visitedLinksOfClearedAddresses_data();
    void visitedLinksOfClearedAddresses();
    void siteWindowButtons();
    void exceptionForAnySite_data();
    void exceptionForAnySite();

private:
    std::unique_ptr<WindowFixture> m_fixture;
};

void tst_SiteData::init()
{
    m_fixture = std::make_unique<WindowFixture>();
    m_fixture->start();
}

void tst_SiteData::cleanup()
{
    m_fixture.reset();
}

void tst_SiteData::clearChosenData_data()
{
    QTest::addColumn<ClearData::Choice>("choice");
    QTest::addColumn<QStringList>("cleared");
    QTest::addColumn<bool>("historyCleared");
    QTest::addColumn<bool>("recentKept");
    QTest::addColumn<bool>("answersKept");
    QTest::addColumn<QStringList>("waiting"); // stored data out of reach while the engine runs
    QTest::addColumn<QString>("status");

    using ClearData::Span;
    const QString cleared = QStringLiteral("Browsing data cleared.");
    QTest::newRow("as offered: the last hour")
        << ClearData::Choice {} << QStringList { "cache", "cookies", "storage" } << true << true
        << true << QStringList() << cleared;
    QTest::newRow("everything, permissions too")
        << ClearData::Choice { true, false, false, true, Span::Everything } << QStringList() << true
        << false << false << QStringList { "a.example" } << cleared;
    QTest::newRow("cookies only, two sites out of reach")
        << ClearData::Choice { false, true, false, false, Span::LastWeek }
        << QStringList { "cookies", "storage" } << false << true << true
        << QStringList { "a.example", "b.example" }
        << cleared
            + QStringLiteral(" The stored data of 2 sites goes when the program next starts.");
}

void tst_SiteData::clearChosenData()
{
    QFETCH(ClearData::Choice, choice);
    QFETCH(QStringList, cleared);
    QFETCH(bool, historyCleared);
    QFETCH(bool, recentKept);
    QFETCH(bool, answersKept);
    QFETCH(QStringList, waiting);
    QFETCH(QString, status);

    TestPlatform &test = m_fixture->test;
    test.siteData->waitingSites = waiting;
    const QString site = QStringLiteral("http://a.example/");
    m_fixture->browser().complete(site, QStringLiteral("A"));
    test.settings->SaveSetting(RecentUrls::application(), RecentUrls::section(),
                               RecentUrls::keyName(1), site);
    SitePermissions::keep(*test.settings, QStringLiteral("a.example"),
                          SitePermissions::Permission::Location, true);
    m_fixture->window().ReadRecentURLs();
    QCOMPARE(itemTexts(m_fixture->cboAddress()), QStringList { site });

    frmWebBrowser &window = m_fixture->window();
    window.findChild<ClearBrowsingData *>()->setAsk([&](QWidget *) { return choice; });
    window.menuItem(QStringLiteral("actClearBrowsingData"))->trigger();

    QCOMPARE(test.siteData->journal, cleared);
    QCOMPARE(m_fixture->cboAddress()->count(), historyCleared ? 0 : 1);
    QCOMPARE(RecentUrls::read(*test.settings).size(), recentKept ? 1 : 0);
    QCOMPARE(window.menuItem(QStringLiteral("mnuURLHistory(0)"))->isVisible(), recentKept);
    QCOMPARE(SitePermissions::all(*test.settings).size(), answersKept ? 1 : 0);
    QCOMPARE(m_fixture->frame->Panel1->text(), status);
}

void tst_SiteData::visitedLinksOfClearedAddresses_data()
{
    QTest::addColumn<int>("span");
    QTest::addColumn<QStringList>("cleared");

    using ClearData::Span;
    QTest::newRow("last hour: the address visited before keeps its links")
        << int(Span::LastHour) << QStringList { "visited links of http://new.example/" };
    QTest::newRow("everything, visited or not")
        << int(Span::Everything) << QStringList { "visited links" };
}

void tst_SiteData::visitedLinksOfClearedAddresses()
{
    QFETCH(int, span);
    QFETCH(QStringList, cleared);

    TestPlatform &test = m_fixture->test;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    constexpr qint64 minute = 60'000;
    test.history->places.clear();
    test.history->recordVisit(QStringLiteral("http://old.example/"), {}, now - 120 * minute,
                              VisitKind::Typed);
    test.history->recordVisit(QStringLiteral("http://old.example/"), {}, now - 10 * minute,
                              VisitKind::Followed);
    test.history->recordVisit(QStringLiteral("http://new.example/"), {}, now - 10 * minute,
                              VisitKind::Followed);
    auto *clearing = m_fixture->window().findChild<ClearBrowsingData *>();
    clearing->clear({ true, false, false, false, ClearData::Span(span) });
    QTRY_COMPARE(test.siteData->journal, cleared);
}

void tst_SiteData::siteWindowButtons()
{
    TestPlatform &test = m_fixture->test;
    test.siteData->cookieList = { { QStringLiteral(".b.example"), QStringLiteral("/"), "s" },
                                  { QStringLiteral("c.example"), QStringLiteral("/"), "t" } };
    test.siteData->storedSites = { QStringLiteral("b.example"), QStringLiteral("d.example") };
    SitePermissions::keep(*test.settings, QStringLiteral("b.example"),
                          SitePermissions::Permission::Camera, false);
    m_fixture->window().menuItem(QStringLiteral("actSiteData"))->trigger();
    auto *siteWindow = m_fixture->window().findChild<SiteDataWindow *>();
    QTreeWidget *list = siteWindow->list();
    QCOMPARE(list->topLevelItemCount(), 3);
    QTreeWidgetItem *b = list->topLevelItem(0);
    QCOMPARE(b->text(0), QStringLiteral("b.example"));
    QCOMPARE(b->childCount(), 1);
    const auto click = [&](const char *name) {
        siteWindow->findChild<QPushButton *>(QString::fromLatin1(name))->click();
    };

    list->setCurrentItem(list->topLevelItem(0)->child(0));
    click("cmdChangeAnswer");
    QCOMPARE(SitePermissions::find(*test.settings, QStringLiteral("b.example"),
                                   SitePermissions::Permission::Camera),
             std::optional<bool>(true));
    click("cmdForgetAnswer");
    QVERIFY(SitePermissions::all(*test.settings).isEmpty());

    list->setCurrentItem(list->topLevelItem(0));
    click("cmdThirdPartyCookies");
    QCOMPARE(test.siteData->thirdPartySites, QStringList { "b.example" });
    auto *note = siteWindow->findChild<QLabel *>(QStringLiteral("lblStorageNote"));
    const QString offered = note->text();
    test.siteData->waitingSites = { QStringLiteral("b.example") };
    click("cmdRemoveSiteData");
    QCOMPARE(test.siteData->journal,
             (QStringList { "cookies of b.example", "storage of b.example" }));
    QCOMPARE(note->text(),
             QStringLiteral("What b.example stored could not be reached now: it goes when the "
                            "program next starts."));
    m_fixture->window().menuItem(QStringLiteral("actSiteData"))->trigger();
    QCOMPARE(note->text(), offered);
    // The site stays listed while its exception is kept; the other sites' data stays.
    QCOMPARE(list->topLevelItemCount(), 3);
    QCOMPARE(test.siteData->cookieList.size(), 1);
    click("cmdThirdPartyCookies");
    QVERIFY(test.siteData->thirdPartySites.isEmpty());
    QCOMPARE(list->topLevelItemCount(), 2);
    QCOMPARE(list->topLevelItem(1)->text(0), QStringLiteral("d.example"));
}

void tst_SiteData::exceptionForAnySite_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("added");

    QTest::newRow("a site not listed")
        << QStringLiteral(" New.Example ") << QStringLiteral("new.example");
    QTest::newRow("an address") << QStringLiteral("https://new.example/") << QString();
    QTest::newRow("nothing") << QString() << QString();
}

void tst_SiteData::exceptionForAnySite()
{
    QFETCH(QString, typed);
    QFETCH(QString, added);

    TestPlatform &test = m_fixture->test;
    m_fixture->window().menuItem(QStringLiteral("actSiteData"))->trigger();
    auto *siteWindow = m_fixture->window().findChild<SiteDataWindow *>();
    auto *problem = siteWindow->findChild<QLabel *>(QStringLiteral("lblExceptionProblem"));
    siteWindow->findChild<QLineEdit *>(QStringLiteral("txtExceptionSite"))->setText(typed);
    siteWindow->findChild<QPushButton *>(QStringLiteral("cmdAddException"))->click();

    QCOMPARE(test.siteData->thirdPartySites,
             added.isEmpty() ? QStringList() : QStringList { added });
    QCOMPARE(SitePermissions::thirdPartyCookieSites(*test.settings),
             test.siteData->thirdPartySites);
    QCOMPARE(problem->isVisibleTo(siteWindow), added.isEmpty());
    QTreeWidgetItem *current = siteWindow->list()->currentItem();
    QCOMPARE(current ? current->text(0) : QString(), added);
}

KESTRAV_TEST_MAIN(tst_SiteData)
#include "tst_sitedata.moc"
