#include "favoritesfile.h"
#include "literalselectionsort.h"
#include "platformerror.h"
#include "sortentries.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRandomGenerator>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace Favorites;
using namespace Qt::StringLiterals;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArrayLiteral("<unreadable>");
    return file.readAll();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QList<QByteArray> rawOf(const QList<FavoriteEntry> &entries)
{
    QList<QByteArray> raw;
    for (const FavoriteEntry &entry : entries)
        raw.append(entry.raw);
    return raw;
}

// What the list shows after the window has read the file.
QStringList listedTexts(const QByteArray &fileBytes)
{
    QStringList texts;
    for (const FavoriteEntry &entry : readEntries(fileBytes))
        texts.append(entry.text);
    return texts;
}

QByteArray manyEntries(int count)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes += "http://site" + QByteArray::number(i) + ".example/\r\n";
    return bytes;
}

QCollator collatorFor(const QLocale &locale)
{
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

} // namespace

class TestFavoritesFile final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void readEntries_data();
    void readEntries();

    void findFavorite_data();
    void findFavorite();

    void addFavorite_data();
    void addFavorite();
    void entryBound_data();
    void entryBound();

    void deleteEntry_data();
    void deleteEntry();

    void selectionSortOrderMatchesLiteral();
    void sortEntriesMatchesLiteral_data();
    void sortEntriesMatchesLiteral();

    void fileRoundTrip();
    void readMissingFile();
    void writeFailure_data();
    void writeFailure();
    void writeFailingHalfWayKeepsOldFile();

private:
    TestSandbox m_sandbox;
};

void TestFavoritesFile::initTestCase()
{
    // Expected orders below are written for an English collation.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestFavoritesFile::readEntries_data()
{
    QTest::addColumn<QByteArray>("fileBytes");
    QTest::addColumn<QList<QByteArray>>("entries");

    QTest::newRow("b, blank, padded a, C")
        << QByteArray("b\r\n\r\n  a  \r\nC\r\n") << QList<QByteArray> { "b", "  a  ", "C" };
    QTest::newRow("empty file") << QByteArray() << QList<QByteArray> {};
    QTest::newRow("LF-only lines are one line")
        << QByteArray("x\ny\nz\n") << QList<QByteArray> { "x\ny\nz\n" };
    QTest::newRow("lone LF inside a CR LF line")
        << QByteArray("a\nb\r\nc") << QList<QByteArray> { "a\nb", "c" };
    QTest::newRow("CR alone ends a line") << QByteArray("a\rb\r") << QList<QByteArray> { "a", "b" };
    QTest::newRow("last line without line end")
        << QByteArray("a\r\nb") << QList<QByteArray> { "a", "b" };
    QTest::newRow("CR then CR LF") << QByteArray("a\r\r\nb") << QList<QByteArray> { "a", "b" };
    QTest::newRow("spaces-only lines skipped, tab is not a space")
        << QByteArray("   \r\n\t\r\n \t \r\n") << QList<QByteArray> { "\t", " \t " };
    QTest::newRow("markup-looking text")
        << QByteArray("{\\rtf1\\ansi\\b bold\\b0}\r\n<b>x</b>\r\n")
        << QList<QByteArray> { "{\\rtf1\\ansi\\b bold\\b0}", "<b>x</b>" };
    QTest::newRow("undecodable bytes")
        << QByteArray("a\xff\xfe\r\n\xc3(\r\n") << QList<QByteArray> { "a\xff\xfe", "\xc3(" };
}

void TestFavoritesFile::readEntries()
{
    QFETCH(QByteArray, fileBytes);
    QFETCH(QList<QByteArray>, entries);

    QCOMPARE(rawOf(Favorites::readEntries(fileBytes)), entries);
}

void TestFavoritesFile::findFavorite_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("found");

    const QStringList items { u"http://a.example/"_s, u"  http://b.example/  "_s,
                              u"\thttp://c.example/"_s, u"Ünïcode"_s };
    QTest::newRow("exact") << items << u"http://a.example/"_s << true;
    QTest::newRow("listed item is trimmed") << items << u"http://b.example/"_s << true;
    QTest::newRow("entry is not trimmed") << items << u" http://a.example/"_s << false;
    QTest::newRow("case matters") << items << u"HTTP://A.EXAMPLE/"_s << false;
    QTest::newRow("tab is not trimmed") << items << u"http://c.example/"_s << false;
    QTest::newRow("non-ASCII exact") << items << u"Ünïcode"_s << true;
    QTest::newRow("non-ASCII other case") << items << u"ünïcode"_s << false;
    QTest::newRow("prefix is no match") << items << u"http://a.example"_s << false;
    QTest::newRow("empty list") << QStringList() << u"http://a.example/"_s << false;
}

void TestFavoritesFile::findFavorite()
{
    QFETCH(QStringList, items);
    QFETCH(QString, entry);
    QFETCH(bool, found);

    QCOMPARE(FindFavorite(items, entry), found);
}

void TestFavoritesFile::addFavorite_data()
{
    QTest::addColumn<QByteArray>("fileBytes");
    QTest::addColumn<QStringList>("listItems");
    QTest::addColumn<QString>("address");
    QTest::addColumn<AddOutcome>("outcome");
    QTest::addColumn<QByteArray>("written");

    const auto row = [](const char *name, const QByteArray &file, const QString &address,
                        AddOutcome outcome, const QByteArray &written) {
        QTest::newRow(name) << file << listedTexts(file) << address << outcome << written;
    };

    row("b, blank, padded a, C; add d", "b\r\n\r\n  a  \r\nC\r\n", u"d"_s, AddOutcome::Added,
        "a\r\nb\r\nC\r\nd\r\n");
    row("empty file takes the trimmed address", "", u"  http://x.example/  "_s, AddOutcome::Added,
        "http://x.example/\r\n");
    row("exact duplicate refused", "b\r\nhttp://x.example/\r\n", u"http://x.example/"_s,
        AddOutcome::Duplicate, "");
    row("duplicate of a padded listed entry refused", "  http://x.example/ \r\n",
        u"http://x.example/"_s, AddOutcome::Duplicate, "");
    row("other letter case accepted", "http://x.example/\r\n", u"HTTP://X.EXAMPLE/"_s,
        AddOutcome::Added, "http://x.example/\r\nHTTP://X.EXAMPLE/\r\n");
    row("space-padded address accepted and stored twice", "http://x.example/\r\n",
        u" http://x.example/ "_s, AddOutcome::Added, "http://x.example/\r\nhttp://x.example/\r\n");
    row("all-space address still sorts and drops blanks", "b\r\n \r\n  a\r\n\r\n", u"   "_s,
        AddOutcome::Added, "a\r\nb\r\n");
    row("empty address on unterminated file", "b\r\na", QString(), AddOutcome::Added, "a\r\nb\r\n");
    row("all-space address on empty file", "", u"  "_s, AddOutcome::Added, "");
    row("LF-only lines stay one entry", "b\nc\n", u"a"_s, AddOutcome::Added, "a\r\nb\nc\n\r\n");
    row("tab stays in the entry", "\tb\r\n", u" a\t "_s, AddOutcome::Added, "\tb\r\na\t\r\n");
    row("rich-text markup kept as text", "{\\rtf1\\ansi\\b bold\\b0}\r\n", u"zebra"_s,
        AddOutcome::Added, "{\\rtf1\\ansi\\b bold\\b0}\r\nzebra\r\n");
    row("HTML markup kept as text", "zebra\r\n", u"<html><b>x</b></html>"_s, AddOutcome::Added,
        "<html><b>x</b></html>\r\nzebra\r\n");
    row("undecodable bytes kept", "c\xe9t\xe9\r\n  a\xff\xfe\r\n", u"b"_s, AddOutcome::Added,
        "a\xff\xfe\r\nb\r\nc\xe9t\xe9\r\n");
    row("non-ASCII address in the system encoding", "a\r\n", u"bücher"_s, AddOutcome::Added,
        "a\r\nb\xc3\xbc"
        "cher\r\n");
    // Selection sort swaps the a to the front, which carries b ahead of B.
    row("equal entries in selection-sort order", "B\r\nb\r\na\r\n", u"c"_s, AddOutcome::Added,
        "a\r\nb\r\nB\r\nc\r\n");
    // The blank line is swapped to the front first, which moves A behind a.
    row("blank lines take part in the sort", "A\r\na\r\n", QString(), AddOutcome::Added,
        "a\r\nA\r\n");

    QTest::newRow("no duplicate test while the list is empty")
        << QByteArray("x\r\n") << QStringList() << u"x"_s << AddOutcome::Added
        << QByteArray("x\r\nx\r\n");
    QTest::newRow("duplicate test uses the list as shown")
        << QByteArray("y\r\n") << QStringList { u"x"_s } << u"x"_s << AddOutcome::Duplicate
        << QByteArray();
    QTest::newRow("empty file ignores a stale list")
        << QByteArray() << QStringList { u"x"_s } << u"x"_s << AddOutcome::Added
        << QByteArray("x\r\n");
}

void TestFavoritesFile::addFavorite()
{
    QFETCH(QByteArray, fileBytes);
    QFETCH(QStringList, listItems);
    QFETCH(QString, address);
    QFETCH(AddOutcome, outcome);
    QFETCH(QByteArray, written);

    const AddResult result = Favorites::addFavorite(fileBytes, listItems, address);
    QCOMPARE(result.outcome, outcome);
    if (outcome == AddOutcome::Added)
        QCOMPARE(result.fileBytes, written);
}

void TestFavoritesFile::entryBound_data()
{
    QTest::addColumn<QByteArray>("fileBytes");
    QTest::addColumn<QString>("address");
    QTest::addColumn<AddOutcome>("outcome");
    QTest::addColumn<int>("entriesWritten");

    const QString address = u"http://new.example/"_s;
    QTest::newRow("reaching the bound")
        << manyEntries(MaxEntries - 1) << address << AddOutcome::Added << int(MaxEntries);
    QTest::newRow("one past the bound")
        << manyEntries(MaxEntries) << address << AddOutcome::TooManyEntries << 0;
    QTest::newRow("full file, nothing to add")
        << manyEntries(MaxEntries) << u"  "_s << AddOutcome::Added << int(MaxEntries);
    QTest::newRow("blank lines do not count") << manyEntries(MaxEntries - 1) + QByteArray(100, '\r')
                                              << address << AddOutcome::Added << int(MaxEntries);
    QTest::newRow("hand-edited file already past the bound")
        << manyEntries(MaxEntries + 1) << u""_s << AddOutcome::TooManyEntries << 0;
}

void TestFavoritesFile::entryBound()
{
    QFETCH(QByteArray, fileBytes);
    QFETCH(QString, address);
    QFETCH(AddOutcome, outcome);
    QFETCH(int, entriesWritten);

    // An empty list skips the duplicate test; only the bound is under test here.
    const AddResult result = Favorites::addFavorite(fileBytes, {}, address);
    QCOMPARE(result.outcome, outcome);
    if (outcome == AddOutcome::Added) {
        QCOMPARE(Favorites::readEntries(result.fileBytes).size(), entriesWritten);
        QCOMPARE(result.fileBytes.count("\r\n"), entriesWritten);
    }
}

void TestFavoritesFile::deleteEntry_data()
{
    QTest::addColumn<QByteArray>("fileBytes");
    QTest::addColumn<int>("removed");
    QTest::addColumn<QByteArray>("written");

    QTest::newRow("the last entry leaves an empty file")
        << QByteArray("only\r\n") << 0 << QByteArray();
    QTest::newRow("untrimmed lines kept in list order")
        << QByteArray("  z \r\n\r\nb\r\n\ta\r\nC") << 1 << QByteArray("  z \r\n\ta\r\nC\r\n");
    QTest::newRow("first of the example")
        << QByteArray("b\r\n\r\n  a  \r\nC\r\n") << 0 << QByteArray("  a  \r\nC\r\n");
    QTest::newRow("lone LF stays inside its line")
        << QByteArray("x\ny\r\nz") << 1 << QByteArray("x\ny\r\n");
    QTest::newRow("undecodable bytes kept") << QByteArray("\xff\xfe\r\nx\r\nm\xe9t\xe9o  ") << 1
                                            << QByteArray("\xff\xfe\r\nm\xe9t\xe9o  \r\n");
}

void TestFavoritesFile::deleteEntry()
{
    QFETCH(QByteArray, fileBytes);
    QFETCH(int, removed);
    QFETCH(QByteArray, written);

    QList<QByteArray> items = rawOf(Favorites::readEntries(fileBytes));
    items.removeAt(removed);
    const QByteArray result = fileBytesFromItems(items);
    QCOMPARE(result, written);
    QCOMPARE(rawOf(Favorites::readEntries(result)), items);
}

void TestFavoritesFile::selectionSortOrderMatchesLiteral()
{
    for (quint32 seed = 0; seed < 400; ++seed) {
        QRandomGenerator random(seed);
        const int size = random.bounded(61);
        // Few distinct ranks, so most entries tie with others.
        const int distinct = 1 + random.bounded(6);
        QList<int> ranks(size);
        for (int &rank : ranks)
            rank = random.bounded(distinct);

        const auto literal = literalSelectionSort(
            size, [&ranks](qsizetype a, qsizetype b) { return ranks[a] < ranks[b]; });
        QVERIFY2(selectionSortOrder(ranks) == literal, qPrintable(u"seed %1"_s.arg(seed)));
    }
}

void TestFavoritesFile::sortEntriesMatchesLiteral_data()
{
    QTest::addColumn<QLocale>("locale");

    QTest::newRow("C") << QLocale::c();
    QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates);
    QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany);
    QTest::newRow("Swedish") << QLocale(QLocale::Swedish, QLocale::Sweden);
    QTest::newRow("Turkish") << QLocale(QLocale::Turkish, QLocale::Turkey);
}

void TestFavoritesFile::sortEntriesMatchesLiteral()
{
    QFETCH(QLocale, locale);
    const QCollator collator = collatorFor(locale);
    const QStringList pieces { u"a"_s, u"A"_s, u"b"_s, u"B"_s, u"ä"_s, u"Ä"_s, u"ae"_s, u"i"_s,
                               u"I"_s, u"İ"_s, u"ı"_s, u"é"_s, u"-"_s, u"."_s, u"\t"_s, u"0"_s };

    for (quint32 seed = 0; seed < 300; ++seed) {
        QRandomGenerator random(seed);
        const int size = random.bounded(61);
        QStringList texts;
        for (int k = 0; k < size; ++k) {
            if (!texts.isEmpty() && random.bounded(4) == 0) {
                texts.append(texts.at(random.bounded(texts.size())));
                continue;
            }
            QString text;
            for (int length = random.bounded(4); length > 0; --length)
                text += pieces.at(random.bounded(pieces.size()));
            texts.append(text);
        }

        const auto literal = literalSelectionSort(size, [&](qsizetype a, qsizetype b) {
            return collator.compare(texts[a], texts[b]) < 0;
        });
        QVERIFY2(SortEntries(texts, collator) == literal,
                 qPrintable(u"seed %1: %2"_s.arg(seed).arg(texts.join(u'|'))));
    }
}

void TestFavoritesFile::fileRoundTrip()
{
    const QString path = m_sandbox.programFolder() + u"/Favorites.txt"_s;
    const QByteArray bytes("a\r\n\x00\xff\n\r\n", 8);
    writeFavoritesFile(path, bytes);
    QCOMPARE(readFavoritesFile(path), bytes);
    writeFavoritesFile(path, QByteArray());
    QCOMPARE(readFavoritesFile(path), QByteArray());
}

void TestFavoritesFile::readMissingFile()
{
    const QString path = m_sandbox.programFolder() + u"/missing/Favorites.txt"_s;
    try {
        readFavoritesFile(path);
        QFAIL("reading a missing file succeeded");
    } catch (const PlatformError &error) {
        QCOMPARE(error.number(), ErrorCode::FileNotFound);
        QVERIFY(error.description().contains(QDir::toNativeSeparators(path)));
    }
}

void TestFavoritesFile::writeFailure_data()
{
    QTest::addColumn<QString>("path");

    const QString folder = m_sandbox.programFolder();
    QDir(folder).mkpath(u"folder.txt"_s);
    QTest::newRow("folder does not exist") << folder + u"/no such folder/Favorites.txt"_s;
    QTest::newRow("target is a folder") << folder + u"/folder.txt"_s;
}

void TestFavoritesFile::writeFailure()
{
    QFETCH(QString, path);

    try {
        writeFavoritesFile(path, "a\r\n");
        QFAIL("the write succeeded");
    } catch (const PlatformError &error) {
        QCOMPARE(error.number(), ErrorCode::PathFileAccess);
        QVERIFY2(error.description().contains(QDir::toNativeSeparators(path)),
                 qPrintable(error.description()));
    }
}

void TestFavoritesFile::writeFailingHalfWayKeepsOldFile()
{
#ifdef Q_OS_UNIX
    // A file-size limit makes the write fail part-way, like a full disk, even for root.
    QTemporaryDir folder(m_sandbox.programFolder() + u"/halfway-XXXXXX"_s);
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(u"Favorites.txt"_s);
    const QByteArray old("old entry\r\n");
    writeAll(path, old);

    rlimit saved {};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 4096;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);

    const QByteArray replacement(256 * 1024, 'x');
    bool threw = false;
    try {
        writeFavoritesFile(path, replacement);
    } catch (const PlatformError &error) {
        threw = error.number() == ErrorCode::PathFileAccess;
    }
    // The same bytes written straight to a file stop at the limit: the failure above came
    // part-way through the write, where a non-atomic writer would have damaged the file.
    const QString control = m_sandbox.programFolder() + u"/halfway-control"_s;
    qint64 controlWritten = -1;
    {
        QFile file(control);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(replacement);
            file.close();
            controlWritten = QFileInfo(control).size();
        }
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    QFile::remove(control);

    QCOMPARE(controlWritten, qint64(limited.rlim_cur));
    QVERIFY(threw);
    QCOMPARE(readAll(path), old);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList { u"Favorites.txt"_s });
#else
    QSKIP("needs a POSIX file-size limit");
#endif
}

QTEST_GUILESS_MAIN(TestFavoritesFile)
#include "tst_favoritesfile.moc"
