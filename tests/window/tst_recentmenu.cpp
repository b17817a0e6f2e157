#include "platform/desktop/settings/sqlitesettingsstore.h"
#include "recentnames.h"
#include "windowfixture.h"

#include <QComboBox>
#include <QKeySequence>
#include <QLabel>
#include <QTemporaryDir>

using namespace RecentNames;

namespace {

QString site(int n)
{
    return QStringLiteral("http://site%1.test/").arg(n);
}

// The captions of the history items that are shown; fails on a hidden item followed by a
// shown one, which the menu never has.
QAction *historyItem(const frmWebBrowser &window, int index)
{
    return window.menuItem(QStringLiteral("mnuURLHistory(%1)").arg(index));
}

QStringList shownCaptions(const frmWebBrowser &window)
{
    QStringList captions;
    for (int i = 0; i < 10; ++i) {
        if (historyItem(window, i)->isVisible())
            captions.append(window.urlHistoryCaption(i));
        else if (i + 1 < 10 && historyItem(window, i + 1)->isVisible())
            return { QStringLiteral("<item %1 hidden before a shown one>").arg(i) };
    }
    return captions;
}

// The most recent first: site(count) down to site(count - 9).
QStringList newestSites(int count)
{
    QStringList sites;
    for (int n = count; n >= 1 && sites.size() < 10; --n)
        sites.append(site(n));
    return sites;
}

} // namespace

class tst_RecentMenu : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void loadShowsStoredList_data();
    void loadShowsStoredList();
    void menuFollowsWrites();
    void choosingCopiesExactAddress_data();
    void choosingCopiesExactAddress();
    void listSurvivesRestart();
    void refusedStoreToldOnce();
};

void tst_RecentMenu::loadShowsStoredList_data()
{
    QTest::addColumn<Rows>("stored");
    QTest::addColumn<bool>("unreadable");
    QTest::addColumn<QStringList>("shown");

    // Edited outside: without key 1 nothing is shown, whatever else the section holds.
    QTest::newRow("key 1 missing")
        << Rows { { key(2), "http://b.test/" }, { key(3), "http://c.test/" } } << false
        << QStringList();
    QTest::newRow("unreadable store")
        << Rows { { key(1), "http://a.test/" } } << true << QStringList();
    // Items follow the order in which the keys were created, not their numbers; a key beyond
    // the tenth has no item and is passed over without a message.
    Rows eleven { { key(1), "one" }, { key(2), "two" }, { key(4), "four" }, { key(3), "three" } };
    QStringList firstTen { "one", "two", "four", "three" };
    for (int n = 5; n <= 11; ++n) {
        eleven.append({ key(n), site(n) });
        if (n <= 10)
            firstTen.append(site(n));
    }
    QTest::newRow("creation order, eleven keys") << eleven << false << firstTen;
}

void tst_RecentMenu::loadShowsStoredList()
{
    QFETCH(Rows, stored);
    QFETCH(bool, unreadable);
    QFETCH(QStringList, shown);

    WindowFixture fixture;
    FakeSettingsStore &settings = *fixture.test.settings;
    for (const SettingsStore::Row &row : stored)
        settings.SaveSetting(App, Section, row.first, row.second);
    settings.setUnreadable(unreadable);

    fixture.start();
    QCOMPARE(shownCaptions(fixture.window()), shown);
    fixture.window().ReadRecentURLs();
    QCOMPARE(shownCaptions(fixture.window()), shown);
    QCOMPARE(fixture.test.messages->prompts, QStringList());
    // The load went on past the list.
    QCOMPARE(fixture.browser().calls, QStringList { "GoHome" });
}

void tst_RecentMenu::menuFollowsWrites()
{
    WindowFixture fixture;
    fixture.start();
    frmWebBrowser &window = fixture.window();

    for (int n = 1; n <= 11; ++n) {
        window.WriteRecentURLs(site(n));
        // The menu changes only at a refresh: none on a first run, then one item, ... ten.
        QCOMPARE(shownCaptions(window), newestSites(n - 1));
        window.ReadRecentURLs();
        QCOMPARE(shownCaptions(window), newestSites(n));
    }
    // Key 1 emptied outside: the refresh returns at once, and hides nothing.
    fixture.test.settings->SaveSetting(App, Section, key(1), "");
    window.ReadRecentURLs();
    QCOMPARE(shownCaptions(window), newestSites(11));
}

void tst_RecentMenu::choosingCopiesExactAddress_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("index");

    QTest::newRow("plain, oldest item") << "http://a.test/" << 9;
    QTest::newRow("ampersands") << "&x=1&&y&" << 2;
    QTest::newRow("surrounding spaces, newest") << "  Ärger & \"Spaß\"  " << 0;
}

void tst_RecentMenu::choosingCopiesExactAddress()
{
    QFETCH(QString, address);
    QFETCH(int, index);

    WindowFixture fixture;
    fixture.start();
    frmWebBrowser &window = fixture.window();
    fixture.frame->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(fixture.frame.get()));

    // The address goes in first; the ones written after it push it down to item `index`.
    window.WriteRecentURLs(address);
    for (int n = 1; n <= index; ++n)
        window.WriteRecentURLs(site(n));
    window.ReadRecentURLs();
    QAction *item = historyItem(window, index);
    QVERIFY(item->isVisible());
    // The menu shows every "&" as itself, and the item has no access key.
    QCOMPARE(item->text().replace("&&", "&"), address);
    QVERIFY(QKeySequence::mnemonic(item->text()).isEmpty());

    fixture.cboAddress()->setEditText("http://typed.test/");
    fixture.cboLinksList()->setFocus();

    item->trigger();
    QApplication::processEvents();

    QCOMPARE(fixture.cboAddress()->currentText(), address);
    QVERIFY(fixture.cboAddress()->hasFocus());
    QCOMPARE(fixture.browser().calls, QStringList { "GoHome" }); // from the load only
    // Choosing does not write the list either.
    QCOMPARE(fixture.test.settings->GetSetting(App, Section, key(1)),
             index == 0 ? address : site(index));
}

void tst_RecentMenu::listSurvivesRestart()
{
    QTemporaryDir storeDir;
    QVERIFY(storeDir.isValid());
    const QString path = storeDir.filePath("kestrav/settings.sqlite");
    const QStringList typed = { "http://first.test/", "http://second.test/?a=1&b=2" };

    {
        WindowFixture first;
        first.test.platform.settings = std::make_shared<SqliteSettingsStore>(path);
        first.start();
        frmWebBrowser &window = first.window();
        // The home page, then a page already listed: the addresses entered next are kept.
        first.browser().complete("about:home", "Home");
        first.browser().complete("about:home", "Home");
        QVERIFY(!window.lastURLWasNew());
        for (const QString &address : typed) {
            QLineEdit *edit = first.cboAddress()->lineEdit();
            edit->clear();
            QTest::keyClicks(edit, address);
            QTest::keyClick(edit, Qt::Key_Return);
            QApplication::processEvents();
        }
        QCOMPARE(shownCaptions(window), QStringList({ typed.at(1), typed.at(0) }));
        QVERIFY(first.frame->close());
    }

    WindowFixture second;
    second.test.platform.settings = std::make_shared<SqliteSettingsStore>(path);
    second.start();
    QCOMPARE(shownCaptions(second.window()), QStringList({ typed.at(1), typed.at(0) }));
}

void tst_RecentMenu::refusedStoreToldOnce()
{
    WindowFixture fixture;
    fixture.start();
    fixture.browser().complete("about:home", "Home");
    fixture.browser().complete("about:home", "Home");
    fixture.test.settings->failWritesAfter(0);
    QLabel *status = fixture.frame->Panel1;
    const QString notice = QStringLiteral("settings are kept only until the program ends");

    QStringList shown;
    for (const QString &address : { site(1), site(2) }) {
        QLineEdit *edit = fixture.cboAddress()->lineEdit();
        edit->clear();
        QTest::keyClicks(edit, address);
        QTest::keyClick(edit, Qt::Key_Return);
        shown.append(status->text());
        status->clear();
    }
    // Told in the status bar at the first refusal, kept there once while it holds, and never
    // in a box; the menu has both addresses for this run.
    QVERIFY2(shown.at(0).contains(notice), qPrintable(shown.at(0)));
    QCOMPARE(shown.at(1).count(notice), 1);
    QCOMPARE(fixture.test.messages->prompts, QStringList());
    QCOMPARE(shownCaptions(fixture.window()), QStringList({ site(2), site(1) }));
}

KESTRAV_TEST_MAIN(tst_RecentMenu)
#include "tst_recentmenu.moc"
