#include "windowfixture.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QToolButton>

using namespace Qt::StringLiterals;

// Favorites files as real disks and hand edits leave them: through the real window, against
// the real file. After an add or a remove the file is either whole and new, or as it was with
// a message that says why.

namespace {

enum class Place {
    File, // Favorites.txt in the program's folder
    Folder, // a folder of that name in its place
    NoAccess, // the file may not be read
    Unreadable, // the file may not be read any more once the window has read it
    LinkElsewhere, // a link to a file in another folder
    LinkInFolder, // a link to another file of the program's folder
    ReadOnlyFolder, // the file may be written, its folder takes no new file
};

QByteArray lines(int first, int count)
{
    QByteArray bytes;
    for (int i = first; i < first + count; ++i)
        bytes += "http://host" + QByteArray::number(i).rightJustified(6, '0') + ".example/\r\n";
    return bytes;
}

} // namespace

Q_DECLARE_METATYPE(Place)

class tst_HostileFavorites : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void addOrRemove_data();
    void addOrRemove();
    void fullDisk();

private:
    QTemporaryDir m_elsewhere;
};

void tst_HostileFavorites::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QVERIFY(m_elsewhere.isValid());
}

void tst_HostileFavorites::addOrRemove_data()
{
    QTest::addColumn<Place>("place");
    QTest::addColumn<QByteArray>("fileBytes");
    QTest::addColumn<int>("removed"); // the item to remove, or -1 to add "c"
    QTest::addColumn<int>("listed"); // items listed at start
    QTest::addColumn<QByteArray>("kept"); // the file's bytes afterwards
    QTest::addColumn<QStringList>("prompts"); // how the messages shown begin

    const QStringList none;
    const QString addFailed = u"cmdAddFavorite_Click\r\n75"_s;
    const QString removeFailed = u"cmdDeleteFavorite_Click\r\n75"_s;

    QTest::newRow("NUL bytes, add") << Place::File << QByteArray("b\0x\r\na\r\n", 8) << -1 << 2
                                    << QByteArray("a\r\nb\0x\r\nc\r\n", 11) << none;
    QTest::newRow("NUL bytes, remove")
        << Place::File << QByteArray("a\0\0\r\nb\r\n", 8) << 0 << 2 << QByteArray("b\r\n") << none;
    QTest::newRow("invalid UTF-8, remove")
        << Place::File << QByteArray("\xc0\xaf\r\n\xed\xa0\x80\r\n\xf8\x88\x80\x80\x80\r\nz\r\n")
        << 3 << 4 << QByteArray("\xc0\xaf\r\n\xed\xa0\x80\r\n\xf8\x88\x80\x80\x80\r\n") << none;
    const QByteArray longLine = "http://" + QByteArray(50 * 1024 * 1024, 'x');
    QTest::newRow("a 50 MB line, add")
        << Place::File << longLine << -1 << 1 << "c\r\n" + longLine + "\r\n"
        << none;
    QTest::newRow("CR-only line ends, remove")
        << Place::File << QByteArray("c\rb\ra") << 1 << 3 << QByteArray("c\r\na\r\n") << none;
    // The list holds the first 32,767; the rest stay in the file.
    const QByteArray many = lines(0, 100'000);
    QTest::newRow("100,000 lines, add") << Place::File << many << -1 << 32767 << many
                                        << QStringList { u"Favorites List is full (32767"_s };
    QTest::newRow("100,000 lines, remove")
        << Place::File << many << 0 << 32767 << lines(1, 99'999) << none;

    // Nothing can be kept in the program's folder: the data folder takes the new file.
    QTest::newRow("a folder in its place, add")
        << Place::Folder << QByteArray() << -1 << 0 << QByteArray("c\r\n") << none;
    QTest::newRow("no read permission, add")
        << Place::NoAccess << QByteArray("x\r\n") << -1 << 0 << QByteArray("c\r\n") << none;
    // The file cannot be read now, so an add would lose what it holds.
    QTest::newRow("read permission gone after start, add")
        << Place::Unreadable << QByteArray("x\r\n") << -1 << 1 << QByteArray("x\r\n")
        << QStringList { addFailed };

    QTest::newRow("link to a file elsewhere, add")
        << Place::LinkElsewhere << QByteArray("x\r\n") << -1 << 1 << QByteArray("x\r\n")
        << QStringList { addFailed };
    QTest::newRow("link to a file elsewhere, remove")
        << Place::LinkElsewhere << QByteArray("x\r\ny\r\n") << 0 << 2 << QByteArray("x\r\ny\r\n")
        << QStringList { removeFailed };
    QTest::newRow("link within the folder, add") << Place::LinkInFolder << QByteArray("x\r\n") << -1
                                                 << 1 << QByteArray("c\r\nx\r\n") << none;
    QTest::newRow("read-only program folder, add")
        << Place::ReadOnlyFolder << QByteArray("x\r\n") << -1 << 1 << QByteArray("x\r\n")
        << QStringList { addFailed };
    QTest::newRow("read-only program folder, remove")
        << Place::ReadOnlyFolder << QByteArray("x\r\ny\r\n") << 1 << 2 << QByteArray("x\r\ny\r\n")
        << QStringList { removeFailed };
}

void tst_HostileFavorites::addOrRemove()
{
    QFETCH(Place, place);
    QFETCH(QByteArray, fileBytes);
    QFETCH(int, removed);
    QFETCH(int, listed);
    QFETCH(QByteArray, kept);
    QFETCH(QStringList, prompts);

    WindowFixture fixture;
    const QString folder = fixture.sandbox.programFolder();
    const QString path = fixture.favoritesPath();
    QString keptPath = path; // where the favorites end up
    switch (place) {
    case Place::File:
    case Place::ReadOnlyFolder:
        QVERIFY(writeAll(path, fileBytes));
        break;
    case Place::Folder:
        QVERIFY(QDir().mkdir(path));
        keptPath = fixture.test.app->dataPath + u"/Favorites.txt"_s;
        break;
    case Place::NoAccess:
        keptPath = fixture.test.app->dataPath + u"/Favorites.txt"_s;
        Q_FALLTHROUGH();
    case Place::Unreadable:
        QVERIFY(writeAll(path, fileBytes));
        if (place == Place::NoAccess)
            QVERIFY(QFile::setPermissions(path, QFile::WriteOwner));
        break;
    case Place::LinkElsewhere:
        keptPath = m_elsewhere.filePath(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(writeAll(keptPath, fileBytes));
        QVERIFY(QFile::link(keptPath, path));
        break;
    case Place::LinkInFolder:
        keptPath = folder + u"/mine.txt"_s;
        QVERIFY(writeAll(keptPath, fileBytes));
        QVERIFY(QFile::link(u"mine.txt"_s, path));
        break;
    }
    if (place == Place::ReadOnlyFolder)
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    const auto restore = qScopeGuard([&] {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    // The data folder, made when it is needed, lies inside the program's folder here.
    const auto entries = [&] {
        QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden);
        names.removeOne(u"user-data"_s);
        return names;
    };
    const QStringList before = entries();

    QComboBox *list = nullptr;
    QVERIFY(withFilePermissions([&] {
        fixture.start();
        list = fixture.cboFavoritesList();
        QCOMPARE(list->count(), listed);
        if (place == Place::Unreadable)
            QVERIFY(QFile::setPermissions(path, QFile::WriteOwner));
        fixture.cboAddress()->setEditText(u"c"_s);
        if (removed >= 0)
            list->setCurrentIndex(removed);
        QTest::mouseClick(
            fixture.control<QToolButton>(removed >= 0 ? "cmdDeleteFavorite" : "cmdAddFavorite"),
            Qt::LeftButton);
    }));
    if (QTest::currentTestFailed())
        return;

    const QStringList shown = fixture.test.messages->prompts;
    QVERIFY2(shown.size() == prompts.size(), qPrintable(shown.join(u" | "_s)));
    for (qsizetype i = 0; i < prompts.size(); ++i)
        QVERIFY2(shown.at(i).startsWith(prompts.at(i)), qPrintable(shown.at(i)));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    QCOMPARE(readAll(keptPath), kept);
    // No copy is left half-written, and a link stays a link.
    QCOMPARE(entries(), before);
    QCOMPARE(QFileInfo(path).isSymLink(),
             place == Place::LinkElsewhere || place == Place::LinkInFolder);
    // A refused remove lists the file as it still is.
    if (removed >= 0 && !prompts.isEmpty())
        QCOMPARE(list->count(), listed);
}

void tst_HostileFavorites::fullDisk()
{
    WindowFixture fixture;
    const QString folder = fixture.sandbox.programFolder();
    SmallDisk disk(1024 * 1024, folder);
    KESTRAV_REQUIRE_DISK(disk);
    const QByteArray held = "a\r\nb\r\n";
    QVERIFY(writeAll(fixture.favoritesPath(), held));
    fixture.start();
    QComboBox *list = fixture.cboFavoritesList();
    const auto press = [&](const char *button) {
        QTest::mouseClick(fixture.control<QToolButton>(button), Qt::LeftButton);
    };
    const QString told = u"The disk holding %1 is full: the favorites were not changed."_s.arg(
        QDir::toNativeSeparators(folder));
    QStringList &shown = fixture.test.messages->prompts;

    // An add and a remove leave the file as it was, say why once each, and list the file.
    QVERIFY(disk.fill());
    fixture.cboAddress()->setEditText(u"c"_s);
    press("cmdAddFavorite");
    list->setCurrentIndex(0);
    press("cmdDeleteFavorite");
    QCOMPARE(shown, QStringList({ told, told }));
    QCOMPARE(readAll(fixture.favoritesPath()), held);
    QCOMPARE(list->count(), 2);
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList { u"Favorites.txt"_s });

    // With room again, the next add goes through without a restart.
    disk.free();
    shown.clear();
    press("cmdAddFavorite");
    QCOMPARE(shown, QStringList());
    QCOMPARE(readAll(fixture.favoritesPath()), QByteArray("a\r\nb\r\nc\r\n"));
    QCOMPARE(list->count(), 3);
}

KESTRAV_TEST_MAIN(tst_HostileFavorites)
#include "tst_hostilefavorites.moc"
