#include "history/historydays.h"
#include "history/historymatch.h"
#include "history/historyrules.h"
#include "history/suggestions.h"
#include "navigation/searchwords.h"
#include "testsupport.h"

using namespace History;

namespace {

constexpr qint64 Day = 24LL * 60 * 60 * 1000;
const qint64 Now
    = QDateTime(QDate(2026, 6, 15), QTime(12, 0), QTimeZone::utc()).toMSecsSinceEpoch();

VisitSample typed(qint64 daysAgo)
{
    return { Now - daysAgo * Day, VisitKind::Typed };
}
VisitSample followed(qint64 daysAgo)
{
    return { Now - daysAgo * Day, VisitKind::Followed };
}

} // namespace

Q_DECLARE_METATYPE(QList<VisitSample>)
Q_DECLARE_METATYPE(QList<TextRange>)
Q_DECLARE_METATYPE(History::ClearRange)

class tst_HistoryRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void recorded_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("recorded");
        QTest::newRow("web page") << QStringLiteral("https://example.org/a") << true;
        QTest::newRow("local file") << QStringLiteral("file:///home/u/a.html") << true;
        QTest::newRow("start page") << QStringLiteral("qrc:/startpage/start.html") << false;
        QTest::newRow("about") << QStringLiteral("about:blank") << false;
        QTest::newRow("data, any case") << QStringLiteral("DATA:text/html,hi") << false;
        QTest::newRow("engine error page")
            << QStringLiteral("chrome-error://chromewebdata/") << false;
        QTest::newRow("blank") << QStringLiteral("  ") << false;
        QTest::newRow("8 KiB exactly")
            << QStringLiteral("https://e.org/") + QString(8192 - 14, QLatin1Char('a')) << true;
        QTest::newRow("over 8 KiB in UTF-8")
            << QStringLiteral("https://e.org/") + QString(4100, QChar(0x00e9)) << false;
    }
    void recorded()
    {
        QFETCH(QString, url);
        QFETCH(bool, recorded);
        QCOMPARE(isRecorded(url), recorded);
    }

    void titleCut()
    {
        QCOMPARE(recordedTitle(QString(1024, QLatin1Char('t'))).size(), 1024);
        QCOMPARE(recordedTitle(QString(5000, QLatin1Char('t'))).size(), 1024);
        // A character outside the BMP across the cut is left out whole.
        const QString emoji = QString::fromUcs4(U"\U0001F600");
        const QString title = QString(1023, QLatin1Char('t')) + emoji + emoji;
        QCOMPARE(recordedTitle(title), QString(1023, QLatin1Char('t')));
    }

    void frecencyRanks_data()
    {
        QTest::addColumn<QList<VisitSample>>("higher");
        QTest::addColumn<qint64>("higherCount");
        QTest::addColumn<QList<VisitSample>>("lower");
        QTest::addColumn<qint64>("lowerCount");
        QTest::newRow("typed above followed")
            << QList { typed(1) } << 1LL << QList { followed(1) } << 1LL;
        QTest::newRow("recent above old")
            << QList { followed(2) } << 1LL << QList { followed(20) } << 1LL;
        QTest::newRow("often above once")
            << QList { followed(2), followed(3) } << 2LL << QList { followed(2) } << 1LL;
        QTest::newRow("one typed outweighs ten old follows")
            << QList { typed(1) } << 1LL << QList<VisitSample>(10, followed(100)) << 10LL;
        QTest::newRow("count beyond the sample counts")
            << QList<VisitSample>(10, followed(1)) << 50LL << QList<VisitSample>(10, followed(1))
            << 10LL;
    }
    void frecencyRanks()
    {
        QFETCH(QList<VisitSample>, higher);
        QFETCH(qint64, higherCount);
        QFETCH(QList<VisitSample>, lower);
        QFETCH(qint64, lowerCount);
        QVERIFY(frecency(higher, higherCount, Now).score > frecency(lower, lowerCount, Now).score);
    }

    void frecencyAges()
    {
        // Points drop as a visit leaves its age bucket; the score says when that is due.
        const FrecencyScore fresh = frecency({ followed(3) }, 1, Now);
        QCOMPARE(fresh.score, 100.0);
        QCOMPARE(fresh.validUntil, Now - 3 * Day + 4 * Day + 1);
        QCOMPARE(frecency({ followed(3) }, 1, fresh.validUntil).score, 70.0);
        const FrecencyScore old = frecency({ typed(400) }, 1, Now);
        QCOMPARE(old.score, 200.0);
        QCOMPARE(old.validUntil, std::numeric_limits<qint64>::max());
        QCOMPARE(frecency({}, 0, Now).score, 0.0);
    }

    void words_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("folded, longest first")
            << QStringLiteral(" Tuple  PYTHON ") << QStringList { "python", "tuple" };
        QTest::newRow("word inside another dropped")
            << QStringLiteral("py python yth") << QStringList { "python" };
        QTest::newRow("duplicates") << QStringLiteral("a A a") << QStringList { "a" };
        QTest::newRow("syntax is text")
            << QStringLiteral("\"x* NEAR %_'") << QStringList { "near", "\"x*", "%_'" };
        QTest::newRow("blank") << QStringLiteral(" \t ") << QStringList();
    }
    void words()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, words);
        QStringList got = queryWords(text);
        QCOMPARE(got, words);
    }

    void manyWordsCapped()
    {
        QStringList text;
        for (int i = 0; i < 100; ++i)
            text.append(QStringLiteral("w%1x").arg(i, 3, 10, QLatin1Char('0')));
        QCOMPARE(queryWords(text.join(QLatin1Char(' '))).size(), MaxQueryWords);
    }

    void matching_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("matches");
        // Title "Python Tuples – Übersicht", address https://docs.example.org/tuples
        QTest::newRow("two words, any order") << QStringLiteral("tuple python") << true;
        QTest::newRow("one in title, one in address") << QStringLiteral("docs python") << true;
        QTest::newRow("inside a word") << QStringLiteral("ytho") << true;
        QTest::newRow("case of non-ASCII") << QStringLiteral("ÜBERSICHT") << true;
        QTest::newRow("one word missing") << QStringLiteral("python list") << false;
        QTest::newRow("no words") << QString() << true;
    }
    void matching()
    {
        QFETCH(QString, typed);
        QFETCH(bool, matches);
        QCOMPARE(matchesAll(queryWords(typed), QStringLiteral("Python Tuples – Übersicht"),
                            QStringLiteral("https://docs.example.org/tuples")),
                 matches);
    }

    void highlights_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<TextRange>>("ranges");
        QTest::newRow("every occurrence, in order")
            << QStringLiteral("ab") << QStringLiteral("xAbyab")
            << QList<TextRange> { { 1, 2 }, { 4, 2 } };
        QTest::newRow("overlapping merged") << QStringLiteral("abc cde") << QStringLiteral("abcde")
                                            << QList<TextRange> { { 0, 5 } };
        QTest::newRow("touching merged")
            << QStringLiteral("ab cd") << QStringLiteral("abcd") << QList<TextRange> { { 0, 4 } };
        QTest::newRow("none") << QStringLiteral("zz") << QStringLiteral("abc")
                              << QList<TextRange>();
    }
    void highlights()
    {
        QFETCH(QString, typed);
        QFETCH(QString, text);
        QFETCH(QList<TextRange>, ranges);
        QCOMPARE(highlightRanges(queryWords(typed), text), ranges);
    }

    void hostPrefixes_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("plain") << QStringLiteral("GitH") << QStringLiteral("gith");
        QTest::newRow("scheme and www")
            << QStringLiteral("https://www.git") << QStringLiteral("git");
        QTest::newRow("path cut") << QStringLiteral("git.org/x") << QStringLiteral("git.org");
        QTest::newRow("words") << QStringLiteral("git hub") << QString();
    }
    void hostPrefixes()
    {
        QFETCH(QString, typed);
        QFETCH(QString, prefix);
        QCOMPARE(hostPrefix(typed), prefix);
    }

    void suggestionsRanked()
    {
        const QList<HistoryEntry> history {
            { QStringLiteral("https://a.org/git"), QStringLiteral("A"), 900, false },
            { QStringLiteral("https://www.gitlab.org/"), QStringLiteral("Lab"), 100, true },
            { QStringLiteral("https://b.org/git"), QStringLiteral("B"), 800, false },
        };
        const QStringList favorites { QStringLiteral("https://b.org/git"),
                                      QStringLiteral("http://fav.org/git"),
                                      QStringLiteral("https://other.org/") };
        const QList<Suggestion> ranked = rankSuggestions(history, favorites, QStringLiteral("git"));
        QStringList order;
        for (const Suggestion &s : ranked)
            order.append(s.url);
        // Host first; the favorite that is also history gains its bonus; favorites that do not
        // match stay out; ties go by address.
        QCOMPARE(order,
                 (QStringList { "https://www.gitlab.org/", "https://b.org/git",
                                "http://fav.org/git", "https://a.org/git" }));
        QVERIFY(ranked.at(1).favorite);
        QCOMPARE(rankSuggestions(history, favorites, QStringLiteral("git"), 2).size(), 2);
        QVERIFY(rankSuggestions(history, favorites, QStringLiteral("  ")).isEmpty());
    }

    void days_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QString>("label");
        const QDate today(2026, 6, 15);
        const QLocale locale(QLocale::German, QLocale::Germany);
        QTest::newRow("today") << today << QStringLiteral("Today");
        QTest::newRow("yesterday") << today.addDays(-1) << QStringLiteral("Yesterday");
        QTest::newRow("before, locale's short date")
            << today.addDays(-2) << locale.toString(today.addDays(-2), QLocale::ShortFormat);
        QTest::newRow("a day ahead is a date")
            << today.addDays(1) << locale.toString(today.addDays(1), QLocale::ShortFormat);
    }
    void days()
    {
        QFETCH(QDate, day);
        QFETCH(QString, label);
        QCOMPARE(dayLabel(day, QDate(2026, 6, 15), QLocale(QLocale::German, QLocale::Germany)),
                 label);
    }

    void clearSpans_data()
    {
        QTest::addColumn<ClearRange>("range");
        QTest::addColumn<qint64>("from");
        const QDateTime now(QDate(2026, 6, 15), QTime(0, 30), QTimeZone::utc());
        QTest::newRow("last hour reaches into yesterday")
            << ClearRange::LastHour << now.addSecs(-3600).toMSecsSinceEpoch();
        QTest::newRow("today from midnight")
            << ClearRange::Today
            << QDateTime(QDate(2026, 6, 15), QTime(0, 0), QTimeZone::utc()).toMSecsSinceEpoch();
        QTest::newRow("everything") << ClearRange::Everything << std::numeric_limits<qint64>::min();
    }
    void clearSpans()
    {
        QFETCH(ClearRange, range);
        QFETCH(qint64, from);
        const TimeSpan span
            = clearSpan(range, QDateTime(QDate(2026, 6, 15), QTime(0, 30), QTimeZone::utc()));
        QCOMPARE(span.from, from);
        QCOMPARE(span.to, std::numeric_limits<qint64>::max());
    }

    void searchWords_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("search");
        QTest::newRow("two words") << QStringLiteral("python tuple") << true;
        QTest::newRow("one word") << QStringLiteral("python") << true;
        QTest::newRow("words with a dot") << QStringLiteral("what is node.js") << true;
        QTest::newRow("domain") << QStringLiteral("example.org") << false;
        QTest::newRow("scheme") << QStringLiteral("about:blank") << false;
        QTest::newRow("localhost with port") << QStringLiteral("localhost:8080/x") << false;
        QTest::newRow("a name of this machine") << QStringLiteral("buildbox") << false;
        QTest::newRow("word with a port is still a word") << QStringLiteral("python:3") << true;
        QTest::newRow("blank") << QStringLiteral("   ") << false;
        QTest::newRow("dotted word, no top-level domain") << QStringLiteral("python.3") << true;
        QTest::newRow("file name") << QStringLiteral("notes.TXT") << true;
        QTest::newRow("number") << QStringLiteral("1.5") << true;
        QTest::newRow("upper-case domain") << QStringLiteral("Debian.ORG") << false;
        QTest::newRow("domain ending in a dot") << QStringLiteral("debian.org.") << false;
        QTest::newRow("national domain") << QStringLiteral("bbc.co.uk") << false;
        QTest::newRow("home network") << QStringLiteral("printer.lan") << false;
        QTest::newRow("IPv4 address") << QStringLiteral("192.168.1.20") << false;
        QTest::newRow("IPv6 address with port") << QStringLiteral("[::1]:8080") << false;
        QTest::newRow("not an address: a quad past 255") << QStringLiteral("300.1.1.1") << true;
        QTest::newRow("dotted word with a path") << QStringLiteral("python.3/docs") << false;
    }
    void searchWords()
    {
        QFETCH(QString, text);
        QFETCH(bool, search);
        QCOMPARE(Navigation::isSearchWords(
                     text, { QStringLiteral("localhost"), QStringLiteral("buildbox") }),
                 search);
    }

    void searchAddresses()
    {
        QCOMPARE(Navigation::searchAddress(QStringLiteral("https://duckduckgo.com/"),
                                           QStringLiteral(" c++ & more ")),
                 QStringLiteral("https://duckduckgo.com/?q=c%2B%2B%20%26%20more"));
        QVERIFY(Navigation::localHostNames().contains(QStringLiteral("localhost")));
    }

    void chosenAddressGoesAsItIs()
    {
        const QString page = QStringLiteral("https://search.test/");
        const QString chosen = QStringLiteral("http://127.0.0.1/title?t=Wombat Heron");
        Navigation::AddressBoxText box({ QStringLiteral("localhost") });
        box.chosen(chosen);
        QCOMPARE(box.target(chosen, page), chosen);
        QCOMPARE(box.target(QStringLiteral("heron wom"), page), page + "?q=heron%20wom");
        box.edited();
        QCOMPARE(box.target(chosen, page), Navigation::searchAddress(page, chosen));
    }
};

KESTRAV_TEST_GUILESS_MAIN(tst_HistoryRules)

#include "tst_historyrules.moc"
