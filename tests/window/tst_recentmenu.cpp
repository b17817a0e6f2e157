#include "sqlitesettingsstore.h"
#include "windowfixture.h"

#include <QComboBox>
#include <QKeySequence>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

using Rows = QList<SettingsStore::Row>;

namespace {

const QString App = QStringLiteral("ZivaruruviVO");
const QString Section = QStringLiteral("URL History");

QString key(int n)
{
    return QStringLiteral("URLHistory%1").arg(n);
}

QString site(int n)
{
    return QStringLiteral("http://site%1.test/").arg(n);
}

// The captions of the history items that are shown, by index; fails on a hidden item
// followed by a shown one, which the menu never has.
QStringList shownCaptions(const frmWebBrowser &window)
{
    QStringList captions;
    bool hiddenSeen = false;
    for (int i = 0; i < 10; ++i) {
        if (!window.mnuURLHistory[i]->isVisible()) {
            hiddenSeen = true;
            continue;
        }
        if (hiddenSeen)
            return { QStringLiteral("<item %1 shown after a hidden one>").arg(i) };
        captions.append(window.urlHistoryCaption(i));
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

void typeAndEnter(frmWebBrowser &window, const QString &text)
{
    QLineEdit *edit = window.cboAddress->lineEdit();
    edit->clear();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
    QApplication::processEvents();
}

} // namespace

class tst_RecentMenu : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstRunShowsNoItems();
    void loadShowsStoredList_data();
    void loadShowsStoredList();
    void menuFollowsWrites();
    void refreshNeverHidesItems();
    void shorterListKeepsOtherItems();
    void unreadableStoreShowsNothing();
    void choosingCopiesExactAddress_data();
    void choosingCopiesExactAddress();
    void listSurvivesRestart();
};

void tst_RecentMenu::firstRunShowsNoItems()
{
    WindowFixture fixture;
    fixture.start();
    frmWebBrowser &window = fixture.window();

    QCOMPARE(shownCaptions(window), QStringList());
    QMenu *file = window.menuItem("mnuFile")->menu();
    QVERIFY(file);
    QAction *lastShown = nullptr;
    for (QAction *action : file->actions()) {
        if (action->isVisible())
            lastShown = action;
    }
    QVERIFY(lastShown);
    QCOMPARE(lastShown->objectName(), QStringLiteral("mnuFileSep2"));
    // The history items are the last ones of the menu, in index order.
    QCOMPARE(file->actions().mid(file->actions().size() - 10),
             QList<QAction *>(std::begin(window.mnuURLHistory), std::end(window.mnuURLHistory)));
}

void tst_RecentMenu::loadShowsStoredList_data()
{
    QTest::addColumn<Rows>("stored");
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("one entry") << Rows { { key(1), "http://a.test/" } }
                               << QStringList { "http://a.test/" };
    // Edited outside: without key 1 nothing is shown, whatever else the section holds.
    QTest::newRow("key 1 missing")
        << Rows { { key(2), "http://b.test/" }, { key(3), "http://c.test/" } } << QStringList();
    QTest::newRow("key 1 empty") << Rows { { key(1), "" }, { key(2), "http://b.test/" } }
                                 << QStringList();
    // Items follow the order in which the keys were created, not their numbers.
    QTest::newRow("creation order")
        << Rows { { key(1), "one" }, { key(2), "two" }, { key(4), "four" }, { key(3), "three" } }
        << QStringList { "one", "two", "four", "three" };
    Rows eleven;
    QStringList firstTen;
    for (int n = 1; n <= 11; ++n) {
        eleven.append({ key(n), site(n) });
        if (n <= 10)
            firstTen.append(site(n));
    }
    // A key beyond the tenth has no item; it is passed over without a message.
    QTest::newRow("more keys than items") << eleven << firstTen;
}

void tst_RecentMenu::loadShowsStoredList()
{
    QFETCH(Rows, stored);
    QFETCH(QStringList, shown);

    WindowFixture fixture;
    FakeSettingsStore &settings = *fixture.test.settings;
    // Same keys elsewhere, which the menu must not pick up.
    settings.SaveSetting(App, "URL History 2", key(1), "other section");
    settings.SaveSetting("AnotherApplication", Section, key(1), "other application");
    for (const SettingsStore::Row &row : stored)
        settings.SaveSetting(App, Section, row.first, row.second);

    fixture.start();

    QCOMPARE(shownCaptions(fixture.window()), shown);
    QCOMPARE(fixture.test.messages->prompts, QStringList());
    // Called on its own, the refresh raises nothing either.
    fixture.window().ReadRecentURLs();
    QCOMPARE(shownCaptions(fixture.window()), shown);
}

void tst_RecentMenu::menuFollowsWrites()
{
    WindowFixture fixture;
    fixture.start();
    frmWebBrowser &window = fixture.window();

    for (int n = 1; n <= 11; ++n) {
        window.WriteRecentURLs(site(n));
        // The menu changes only at a refresh.
        QCOMPARE(shownCaptions(window), newestSites(n - 1));
        window.ReadRecentURLs();
        QCOMPARE(shownCaptions(window), newestSites(n));
    }
    QCOMPARE(fixture.browser().calls, QStringList { "GoHome" });
}

void tst_RecentMenu::refreshNeverHidesItems()
{
    WindowFixture fixture;
    fixture.start();
    frmWebBrowser &window = fixture.window();
    FakeSettingsStore &settings = *fixture.test.settings;
    for (int n = 1; n <= 3; ++n)
        window.WriteRecentURLs(site(n));
    window.ReadRecentURLs();
    const QStringList three = newestSites(3);
    QCOMPARE(shownCaptions(window), three);

    // Key 1 emptied outside: the refresh returns at once and the menu stays as it is.
    settings.SaveSetting(App, Section, key(1), "");
    window.ReadRecentURLs();
    QCOMPARE(shownCaptions(window), three);

    // A store that can no longer be read leaves the menu as it is, too.
    settings.setUnreadable(true);
    window.ReadRecentURLs();
    QCOMPARE(shownCaptions(window), three);

    // Key 1 back with a new value: captions change, no item is hidden.
    settings.setUnreadable(false);
    settings.SaveSetting(App, Section, key(1), "http://new.test/");
    window.ReadRecentURLs();
    QCOMPARE(shownCaptions(window), QStringList({ "http://new.test/", site(2), site(1) }));
}

void tst_RecentMenu::shorterListKeepsOtherItems()
{
    QTemporaryDir storeDir;
    QVERIFY(storeDir.isValid());
    const QString path = storeDir.filePath("settings.sqlite");
    WindowFixture fixture;
    fixture.test.platform.settings = std::make_shared<SqliteSettingsStore>(path);
    fixture.start();
    frmWebBrowser &window = fixture.window();
    for (int n = 1; n <= 3; ++n)
        window.WriteRecentURLs(site(n));
    window.ReadRecentURLs();
    QCOMPARE(shownCaptions(window), newestSites(3));

    // Keys 2 and 3 removed outside the program: the items without a row keep their state.
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "outside-editor");
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec("DELETE FROM settings WHERE key IN ('URLHistory2', 'URLHistory3')"));
        QVERIFY(query.exec("UPDATE settings SET value = 'http://new.test/' "
                           "WHERE key = 'URLHistory1'"));
        db.close();
    }
    QSqlDatabase::removeDatabase("outside-editor");
    window.ReadRecentURLs();
    QCOMPARE(shownCaptions(window), QStringList({ "http://new.test/", site(2), site(1) }));
}

void tst_RecentMenu::unreadableStoreShowsNothing()
{
    WindowFixture fixture;
    fixture.test.settings->SaveSetting(App, Section, key(1), "http://a.test/");
    fixture.test.settings->setUnreadable(true);
    fixture.start();
    frmWebBrowser &window = fixture.window();

    QCOMPARE(shownCaptions(window), QStringList());
    window.ReadRecentURLs();
    QCOMPARE(shownCaptions(window), QStringList());
    QCOMPARE(fixture.test.messages->prompts, QStringList());
    // The load went on past the failed read.
    QCOMPARE(fixture.browser().calls, QStringList { "GoHome" });
}

void tst_RecentMenu::choosingCopiesExactAddress_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("index");

    QTest::newRow("plain, newest") << "http://a.test/" << 0;
    QTest::newRow("plain, oldest") << "http://a.test/" << 9;
    QTest::newRow("ampersand") << "http://a.test/?x=1&y=2" << 0;
    QTest::newRow("ampersand first") << "&x" << 3;
    QTest::newRow("double ampersand") << "a&&b&" << 1;
    QTest::newRow("surrounding spaces") << "  http://a.test/  " << 0;
    QTest::newRow("not an address") << "Ärger & \"Spaß\"" << 2;
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
    QAction *item = window.mnuURLHistory[index];
    QVERIFY(item->isVisible());
    QCOMPARE(window.urlHistoryCaption(index), address);
    // The menu shows every "&" as itself, and the item has no access key.
    QCOMPARE(item->text().replace("&&", "&"), address);
    QVERIFY(QKeySequence::mnemonic(item->text()).isEmpty());

    window.cboAddress->setEditText("http://typed.test/");
    window.cboLinksList->setFocus();
    QVERIFY(!window.cboAddress->hasFocus());
    fixture.browser().calls.clear();

    item->trigger();
    QApplication::processEvents();

    QCOMPARE(window.cboAddress->currentText(), address);
    QVERIFY(window.cboAddress->hasFocus());
    QCOMPARE(fixture.browser().calls, QStringList());
    QCOMPARE(fixture.test.messages->prompts, QStringList());
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
        QCOMPARE(shownCaptions(window), QStringList());
        // The home page, then a page already listed: the addresses entered next are kept.
        first.browser().complete("about:home", "Home");
        first.browser().complete("about:home", "Home");
        QVERIFY(!window.LastURLWasNew);
        for (const QString &address : typed)
            typeAndEnter(window, address);
        QCOMPARE(shownCaptions(window), QStringList({ typed.at(1), typed.at(0) }));
        QVERIFY(first.frame->close());
    }
    QVERIFY(QFile::exists(path));

    WindowFixture second;
    second.test.platform.settings = std::make_shared<SqliteSettingsStore>(path);
    second.start();
    QCOMPARE(shownCaptions(second.window()), QStringList({ typed.at(1), typed.at(0) }));
}

QTEST_MAIN(tst_RecentMenu)
#include "tst_recentmenu.moc"
