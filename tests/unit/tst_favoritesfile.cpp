#include "favorites/favoriteslistmodel.h"
#include "favorites/sortentries.h"
#include "literalselectionsort.h"
#include "platform/api/systemencoding.h"
#include "testsupport.h"

#include <QAbstractItemModelTester>
#include <QLocale>
#include <QRandomGenerator>
#include <QtTest>

using namespace Qt::StringLiterals;

// The fast sort must give exactly the permutation of the quadratic selection sort, also among
// entries that compare equal; and the list's rows must keep each line's bytes. The file cases
// themselves are tested through the window.
class TestFavoritesFile final : public QObject
{
    Q_OBJECT

private slots:
    void sortEntriesMatchesLiteral_data();
    void sortEntriesMatchesLiteral();
    void listModelRemovesRows_data();
    void listModelRemovesRows();
};

void TestFavoritesFile::sortEntriesMatchesLiteral_data()
{
    QTest::addColumn<QLocale>("locale");
    // How many entries are left in random order after the others were put in order
    // (ascending, or descending when negative); -1 leaves all in random order.
    QTest::addColumn<int>("outOfOrder");
    QTest::addColumn<Qt::CaseSensitivity>("letterCase");

    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    QTest::newRow("English, random") << english << -1 << Qt::CaseInsensitive;
    QTest::newRow("Turkish, random") << turkish << -1 << Qt::CaseInsensitive;
    // Sorted by case-folded keys, which the comparisons must overrule where they differ.
    QTest::newRow("C, random") << QLocale::c() << -1 << Qt::CaseInsensitive;
    // Case-folded keys put "a" before "B" where this collator does not: they are overruled.
    QTest::newRow("C, case-sensitive, random") << QLocale::c() << -1 << Qt::CaseSensitive;
    // A file as an add leaves it, with an entry and a blank line appended.
    QTest::newRow("English, sorted + 2") << english << 2 << Qt::CaseInsensitive;
    QTest::newRow("Turkish, sorted + 3") << turkish << 3 << Qt::CaseInsensitive;
    QTest::newRow("English, sorted") << english << 0 << Qt::CaseInsensitive;
    QTest::newRow("English, descending") << english << -2 << Qt::CaseInsensitive;
}

void TestFavoritesFile::sortEntriesMatchesLiteral()
{
    QFETCH(QLocale, locale);
    QFETCH(int, outOfOrder);
    QFETCH(Qt::CaseSensitivity, letterCase);
    QCollator collator(locale);
    collator.setCaseSensitivity(letterCase);
    const QStringList pieces { u"a"_s,  u"B"_s, u"ä"_s, u"ae"_s,         u"i"_s,
                               u"İ"_s,  u"ı"_s, u"é"_s, u"-"_s,          u"."_s,
                               u"\t"_s, u"0"_s, u"ß"_s, u"\U0001F600"_s, u"\uFF21"_s };

    for (quint32 seed = 0; seed < 300; ++seed) {
        QRandomGenerator random(seed);
        const int size = random.bounded(61);
        QStringList texts;
        for (int k = 0; k < size; ++k) {
            // Often a copy of an earlier entry, in the same or in other letter case.
            if (!texts.isEmpty() && random.bounded(3) == 0) {
                const QString &copy = texts.at(random.bounded(texts.size()));
                const int letterCase = random.bounded(3);
                texts.append(letterCase == 0       ? copy
                                 : letterCase == 1 ? copy.toUpper()
                                                   : copy.toLower());
                continue;
            }
            QString text;
            for (int length = random.bounded(4); length > 0; --length)
                text += pieces.at(random.bounded(pieces.size()));
            texts.append(text);
        }
        if (outOfOrder >= 0) {
            const auto ordered = texts.begin() + std::max(qsizetype(0), texts.size() - outOfOrder);
            std::stable_sort(texts.begin(), ordered, [&](const QString &a, const QString &b) {
                return collator.compare(a, b) < 0;
            });
        } else if (outOfOrder < -1) {
            std::stable_sort(texts.begin(), texts.end(), [&](const QString &a, const QString &b) {
                return collator.compare(a, b) > 0;
            });
        }

        const auto literal = literalSelectionSort(size, [&](qsizetype a, qsizetype b) {
            return collator.compare(texts[a], texts[b]) < 0;
        });
        QVERIFY2(Favorites::SortEntries(texts, collator) == literal,
                 qPrintable(u"seed %1: %2"_s.arg(seed).arg(texts.join(u'|'))));
    }
}

void TestFavoritesFile::listModelRemovesRows_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("removed");
    QTest::addColumn<QList<QByteArray>>("left");

    QTest::newRow("first") << 0 << 1 << true << QList<QByteArray> { "  b ", "c\xff", "d\ne" };
    QTest::newRow("middle two") << 1 << 2 << true << QList<QByteArray> { "a", "d\ne" };
    QTest::newRow("last") << 3 << 1 << true << QList<QByteArray> { "a", "  b ", "c\xff" };
    QTest::newRow("all") << 0 << 4 << true << QList<QByteArray> {};
    QTest::newRow("past the end") << 3 << 2 << false
                                  << QList<QByteArray> { "a", "  b ", "c\xff", "d\ne" };
    QTest::newRow("before the start")
        << -1 << 1 << false << QList<QByteArray> { "a", "  b ", "c\xff", "d\ne" };
    QTest::newRow("none") << 1 << 0 << false << QList<QByteArray> { "a", "  b ", "c\xff", "d\ne" };
}

void TestFavoritesFile::listModelRemovesRows()
{
    QFETCH(int, row);
    QFETCH(int, count);
    QFETCH(bool, removed);
    QFETCH(QList<QByteArray>, left);

    FavoritesListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setEntries(Favorites::readEntries("a\r\n  b \r\n \r\nc\xff\rd\ne"));
    QCOMPARE(model.removeRows(row, count), removed);

    QCOMPARE(model.rawLines(), left);
    QStringList texts;
    for (int i = 0; i < model.rowCount(); ++i) {
        const QModelIndex index = model.index(i);
        // The raw line goes back to the file untouched; the text is what the list shows.
        QCOMPARE(index.data(FavoritesListModel::RawLineRole).toByteArray(), left.at(i));
        QCOMPARE(index.data().toString(), fromSystemEncoding(left.at(i)));
        texts.append(index.data().toString());
    }
    QCOMPARE(model.texts(), texts);
}

KESTRAV_TEST_GUILESS_MAIN(TestFavoritesFile)
#include "tst_favoritesfile.moc"
