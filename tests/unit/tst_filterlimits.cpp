#include "contentblocking/filterengine.h"
#include "contentblocking/filterparser.h"
#include "filterrun.h"
#include "testsupport.h"

using namespace Filters;

// Rules that take out the rules of other lists, and addresses as long as the engine lets
// through.
class tst_FilterLimits : public QObject
{
    Q_OBJECT

private slots:
    void badfilterCancelsAcrossLists();
    void longAddressDecidedByItsWords_data();
    void longAddressDecidedByItsWords();
    void addressTokensDropRepeats_data();
    void addressTokensDropRepeats();
};

void tst_FilterLimits::badfilterCancelsAcrossLists()
{
    // A list read later cancels a rule of one read before, and the other way round.
    RuleCollection rules;
    for (const std::string_view list :
         { "||cdn.example^$script\n||stay.example^\n||late.example^$image",
           "||late.example^$badfilter,image\n||cdn.example^$script,badfilter\n"
           "||stay.example^$image,badfilter\n||never.example^$badfilter" })
        parseList(list, rules);
    const FilterEngine engine(rules);
    QCOMPARE(engine.figures().cancelled, 2);
    QVERIFY(!decideOn(engine, QStringLiteral("https://cdn.example/a.js"), {}, Script).blocked);
    QVERIFY(!decideOn(engine, QStringLiteral("https://late.example/a.png"), {}, Image).blocked);
    QVERIFY(decideOn(engine, QStringLiteral("https://stay.example/a.png"), {}, Image).blocked);
    QVERIFY(!decideOn(engine, QStringLiteral("https://never.example/a.png"), {}, Image).blocked);
}

void tst_FilterLimits::longAddressDecidedByItsWords_data()
{
    QTest::addColumn<QString>("rules");
    QTest::addColumn<bool>("blocked");
    QTest::newRow("the host") << "||x.example^$domain=news.example" << true;
    QTest::newRow("a word near the start") << "/w3/$image" << true;
    QTest::newRow("its real end") << "/lastword/tail|" << true;
    QTest::newRow("another end") << "/lastword/head|" << false;
    QTest::newRow("an expression of its start") << "/^https:\\/\\/x\\.example\\/w0\\//" << true;
    // Past the first part of an address, words are not looked for, so a page's megabytes cost
    // no rule a scan; "$" is the real end, never where the search stops.
    QTest::newRow("a word far in") << "/lastword/" << false;
    QTest::newRow("an expression at the end") << "/lastword\\/tail$/" << false;
    QTest::newRow("a word it does not hold") << "/missingword/" << false;
}

void tst_FilterLimits::longAddressDecidedByItsWords()
{
    QFETCH(QString, rules);
    QFETCH(bool, blocked);
    // 700 KiB of words that are all different, in capitals, then the one the rules look for.
    QString url = QStringLiteral("https://x.example/");
    for (int i = 0; url.size() < 700 * 1024; ++i)
        url += u'W' + QString::number(i, 36).toUpper() + u'/';
    url += QStringLiteral("LastWord/Tail");
    const auto engine = engineOf(rules);
    QCOMPARE(decideOn(*engine, url, QStringLiteral("https://news.example/"), Image).blocked,
             blocked);
}

void tst_FilterLimits::addressTokensDropRepeats_data()
{
    QTest::addColumn<int>("words");
    QTest::newRow("a few words") << 5;
    QTest::newRow("many words") << 400;
}

void tst_FilterLimits::addressTokensDropRepeats()
{
    QFETCH(int, words);
    // Every word twice, then the first again: each is kept once, where it first came.
    std::string address = "https://x.example/";
    std::vector<std::uint32_t> expected { tokenHash("https"), tokenHash("x"),
                                          tokenHash("example") };
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < words; ++i) {
            const std::string word = "w" + std::to_string(i);
            address += word + "/";
            if (round == 0)
                expected.push_back(tokenHash(word));
        }
    }
    address += "https";
    std::vector<std::uint32_t> tokens;
    addressTokens(address, tokens);
    QCOMPARE(tokens, expected);
}

KESTRAV_TEST_GUILESS_MAIN(tst_FilterLimits)
#include "tst_filterlimits.moc"
