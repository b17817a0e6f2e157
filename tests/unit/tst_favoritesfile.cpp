#include "literalselectionsort.h"
#include "sortentries.h"
#include "testsupport.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QtTest>

using namespace Qt::StringLiterals;

// The fast sort must give exactly the permutation of the quadratic selection sort, also among
// entries that compare equal; the file cases themselves are tested through the window.
class TestFavoritesFile final : public QObject
{
    Q_OBJECT

private slots:
    void sortEntriesMatchesLiteral_data();
    void sortEntriesMatchesLiteral();
};

void TestFavoritesFile::sortEntriesMatchesLiteral_data()
{
    QTest::addColumn<QLocale>("locale");

    QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates);
    QTest::newRow("Turkish") << QLocale(QLocale::Turkish, QLocale::Turkey);
}

void TestFavoritesFile::sortEntriesMatchesLiteral()
{
    QFETCH(QLocale, locale);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    const QStringList pieces { u"a"_s, u"B"_s, u"ä"_s, u"ae"_s, u"i"_s,  u"İ"_s,
                               u"ı"_s, u"é"_s, u"-"_s, u"."_s,  u"\t"_s, u"0"_s };

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

        const auto literal = literalSelectionSort(size, [&](qsizetype a, qsizetype b) {
            return collator.compare(texts[a], texts[b]) < 0;
        });
        QVERIFY2(Favorites::SortEntries(texts, collator) == literal,
                 qPrintable(u"seed %1: %2"_s.arg(seed).arg(texts.join(u'|'))));
    }
}

KESTRAV_TEST_GUILESS_MAIN(TestFavoritesFile)
#include "tst_favoritesfile.moc"
