// Clearing browsing data from the window's key, and the site window's buttons, on doubles.

#include "history/recenturls.h"
#include "platform/api/sitepermissions.h"
#include "sitedata/clearchoice.h"
#include "ui/clearbrowsingdata.h"
#include "ui/sitedatawindow.h"
#include "windowfixture.h"

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
    void siteWindowButtons();

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

    using ClearData::Span;
    QTest::newRow("as offered: the last hour")
        << ClearData::Choice {} << QStringList { "visited links", "cache", "cookies", "storage" }
        << true << true << true;
    QTest::newRow("everything, permissions too")
        << ClearData::Choice { true, false, false, true, Span::Everything }
        << QStringList { "visited links" } << true << false << false;
    QTest::newRow("cookies only") << ClearData::Choice { false, true, false, false, Span::LastWeek }
                                  << QStringList { "cookies", "storage" } << false << true << true;
}

void tst_SiteData::clearChosenData()
{
    QFETCH(ClearData::Choice, choice);
    QFETCH(QStringList, cleared);
    QFETCH(bool, historyCleared);
    QFETCH(bool, recentKept);
    QFETCH(bool, answersKept);

    TestPlatform &test = m_fixture->test;
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
}

void tst_SiteData::siteWindowButtons()
{
    TestPlatform &test = m_fixture->test;
    test.siteData->cookieList = { { QStringLiteral(".b.example"), QStringLiteral("/"), "s" },
                                  { QStringLiteral("c.example"), QStringLiteral("/"), "t" } };
    SitePermissions::keep(*test.settings, QStringLiteral("b.example"),
                          SitePermissions::Permission::Camera, false);
    m_fixture->window().menuItem(QStringLiteral("actSiteData"))->trigger();
    auto *siteWindow = m_fixture->window().findChild<SiteDataWindow *>();
    QTreeWidget *list = siteWindow->list();
    QCOMPARE(list->topLevelItemCount(), 2);
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
    click("cmdRemoveSiteData");
    QCOMPARE(test.siteData->journal, QStringList { "cookies of b.example" });
    // The site stays listed while its exception is kept; the other site's cookies stay.
    QCOMPARE(list->topLevelItemCount(), 2);
    QCOMPARE(test.siteData->cookieList.size(), 1);
    click("cmdThirdPartyCookies");
    QVERIFY(test.siteData->thirdPartySites.isEmpty());
    QCOMPARE(list->topLevelItemCount(), 1);
}

KESTRAV_TEST_MAIN(tst_SiteData)
#include "tst_sitedata.moc"
