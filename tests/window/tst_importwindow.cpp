#include "fakekeyring.h"
#include "fakesettingsstore.h"
#include "favorites/favoritesfile.h"
#include "import/bookmarkshtml.h"
#include "signins/keyringaccess.h"
#include "signins/savedsignins.h"
#include "testsupport.h"
#include "ui/import/importwindow.h"

#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>

class TestImportWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A home with two browsers: both ticked, Enter imports both; a passwords file goes to the
    // keyring and is deleted when the user agrees; the export reads back as the same list.
    void importsAndExports()
    {
        QTemporaryDir home;
        QVERIFY(QDir().mkpath(home.filePath(".config/chromium/Default")));
        QVERIFY(writeAll(home.filePath(".config/chromium/Default/Bookmarks"),
                         "{\"roots\": {\"bookmark_bar\": {\"type\": \"folder\", \"children\": ["
                         "{\"type\": \"url\", \"url\": \"https://c.test/\", \"name\": \"C\"},"
                         "{\"type\": \"url\", \"url\": \"javascript:1\", \"name\": \"J\"},"
                         "{\"type\": \"url\", \"url\": \"https://kept.test/\"}]}}}"));
        QVERIFY(QDir().mkpath(home.filePath(".config/qutebrowser")));
        QVERIFY(writeAll(home.filePath(".config/qutebrowser/quickmarks"), "q https://q.test/\n"));
        const QString favorites = home.filePath("Favorites.txt");
        QVERIFY(writeAll(favorites, "https://kept.test/\r\n"));
        const QString csv = home.filePath("passwords.csv");
        QVERIFY(writeAll(csv, "name,url,username,password\nc,https://c.test/,cy,secret\n"));

        auto keyring = std::make_shared<FakeKeyring>();
        KeyringAccess access(
            keyring, [](const char *, const KeyringAccess::Work &work) { work(); },
            [](const QString &) {});
        FakeSettingsStore settings;
        int changed = 0;
        ImportWindow::Services services;
        services.home = home.path();
        services.favoritesPath = favorites;
        services.keyring = &access;
        services.settings = &settings;
        services.favoritesChanged = [&changed] { ++changed; };
        services.askDeleteFile = [](QWidget *, const QString &) { return true; };
        ImportWindow window(services);
        window.open();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(!window.busy());
        QCOMPARE(window.sources()->count(), 2);
        QCOMPARE(window.sources()->item(0)->text(), QString("Chromium (Default): 2 bookmarks"));
        QCOMPARE(window.sources()->item(1)->checkState(), Qt::Checked);

        QTest::keyClick(window.sources(), Qt::Key_Return);
        QTRY_VERIFY(!window.busy());
        QCOMPARE(window.report(),
                 QString("Imported 2 favorites (1 were already there). 1 address that is not a "
                         "web address (javascript:, data:, file: or the like) was skipped."));
        QCOMPARE(readAll(favorites),
                 QByteArray("https://c.test/\r\nhttps://kept.test/\r\nhttps://q.test/\r\n"));
        QCOMPARE(changed, 1);

        window.importFile(csv);
        QTRY_VERIFY(window.report().startsWith("Saved 1 sign-ins (0 were already saved)"));
        QVERIFY(window.report().endsWith("The passwords file was deleted."));
        QVERIFY(!QFile::exists(csv));
        QCOMPARE(keyring->secrets.value("https://c.test:443 cy"), QString("secret"));
        QVERIFY(SavedSignIns(settings).contains({ "https://c.test:443", "cy" }));

        const QString exported = home.filePath("exported.html");
        window.exportFavorites(exported);
        QTRY_VERIFY(!window.busy());
        QCOMPARE(window.report(), "Exported 3 favorites to " + QDir::toNativeSeparators(exported));
        QStringList reread;
        for (const Import::Bookmark &bookmark : Import::readBookmarksHtml(exported).bookmarks)
            reread.append(bookmark.url);
        QCOMPARE(reread,
                 QStringList({ "https://c.test/", "https://kept.test/", "https://q.test/" }));

        // A damaged bookmarks file is said, and the favorites stay as they were.
        const QString broken = home.filePath("broken.html");
        QVERIFY(writeAll(broken, QByteArray("\0\1\2", 3)));
        window.importFile(broken);
        QTRY_VERIFY(window.report().contains("not an HTML file"));
        QCOMPARE(readAll(favorites).count("\r\n"), 3);
    }
};

KESTRAV_TEST_MAIN(TestImportWindow)
#include "tst_importwindow.moc"
