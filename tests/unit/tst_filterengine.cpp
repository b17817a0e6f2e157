#include "contentblocking/filterengine.h"
#include "contentblocking/filterparser.h"
#include "contentblocking/filtersources.h"
#include "filterrun.h"
#include "testsupport.h"

#include <QUrl>

using namespace Filters;

Q_DECLARE_METATYPE(Filters::LineKind)

namespace {

QString joined(const std::vector<std::string_view> &selectors)
{
    QStringList out;
    for (const std::string_view s : selectors)
        out.append(QString::fromUtf8(s.data(), qsizetype(s.size())));
    return out.join(u'|');
}

} // namespace

// Decisions on requests, the cosmetic style of pages, the lines that are skipped, and the
// compiled form of the lists.
class tst_FilterEngine : public QObject
{
    Q_OBJECT

private slots:
    void decision_data();
    void decision();
    void lineKind_data();
    void lineKind();
    void hiddenOnPage_data();
    void hiddenOnPage();
    void styleSheetHidesEachSelectorAlone();
    void badLinesLeaveTheRestWorking();
    void compiledFormDecidesAsTheLists_data();
    void compiledFormDecidesAsTheLists();
    void damagedCompiledFormIsRefused_data();
    void damagedCompiledFormIsRefused();
    void listsAndSources();
};

void tst_FilterEngine::decision_data()
{
    QTest::addColumn<QString>("rules");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("page");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("blocked");
    // The rule that decided, "" when none did.
    QTest::addColumn<QString>("rule");

    const QString page = QStringLiteral("https://news.example/");
    const auto row = [&](const char *name, const char *rules, const char *url, bool blocked,
                         const char *rule, int type = Script, const QString &on = QString()) {
        QTest::newRow(name) << QString::fromUtf8(rules) << QString::fromUtf8(url)
                            << (on.isNull() ? page : on) << type << blocked
                            << QString::fromUtf8(rule);
    };
    // The examples of the syntax's documentation.
    row("|| blocks the domain", "||example.com/banner.gif", "http://example.com/banner.gif", true,
        "||example.com/banner.gif");
    row("|| blocks https", "||example.com/banner.gif", "https://example.com/banner.gif", true,
        "||example.com/banner.gif");
    row("|| blocks a subdomain", "||example.com/banner.gif", "http://www.example.com/banner.gif",
        true, "||example.com/banner.gif");
    row("|| spares a longer name", "||example.com/banner.gif", "http://badexample.com/banner.gif",
        false, "");
    row("|| spares the path of another host", "||example.com/banner.gif",
        "http://gooddomain.example/analyze?http://example.com/banner.gif", false, "");
    row("^ before a path", "http://example.com^", "http://example.com/", true,
        "http://example.com^");
    row("^ before a port", "http://example.com^", "http://example.com:8000/", true,
        "http://example.com^");
    row("^ is not a dot", "http://example.com^", "http://example.com.ar/", false, "");
    row("^ around the query", "^example.com^",
        "http://example.com:8000/foo.bar?a=12&b=%D1%82%D0%B5%D1%81%D1%82", true, "^example.com^");
    row("^ around an escape", "^%D1%82%D0%B5%D1%81%D1%82^",
        "http://example.com:8000/foo.bar?a=12&b=%D1%82%D0%B5%D1%81%D1%82", true,
        "^%D1%82%D0%B5%D1%81%D1%82^");
    row("^ matches the end", "||ads.example^", "https://ads.example", true, "||ads.example^");
    row("^ is not a letter", "||ads.example^", "https://ads.examples.com/", false, "");
    row("| ends the address", "swf|", "http://example.com/annoyingflash.swf", true, "swf|");
    row("| at the end spares more", "swf|", "http://example.com/swf/index.html", false, "");
    row("| starts the address", "|http://baddomain.example/", "http://baddomain.example/banner.gif",
        true, "|http://baddomain.example/");
    row("| at the start spares an address inside", "|http://baddomain.example/",
        "http://gooddomain.example/analyze?http://baddomain.example", false, "");
    row("* spans any text", "/banner/*/img^", "https://x.example/banner/foo/img?x", true,
        "/banner/*/img^");
    row("* needs the rest", "/banner/*/img^", "https://x.example/banner/foo/imgs", false, "");
    row("text matches anywhere", "/adframe.", "https://x.example/js/adframe.js", true, "/adframe.");
    row("case is ignored", "/AdFrame.", "https://x.example/adframe.js", true, "/AdFrame.");
    row("$match-case", "/AdFrame.$match-case", "https://x.example/adframe.js", false, "");
    row("$match-case in its case", "/AdFrame.$match-case", "https://x.example/AdFrame.js", true,
        "/AdFrame.$match-case");
    row("regular expression", "/banner\\d+\\.gif/", "https://x.example/banner12.gif", true,
        "/banner\\d+\\.gif/");
    row("regular expression that does not match", "/banner\\d+\\.gif/",
        "https://x.example/bannerx.gif", false, "");
    row("regular expression ignores case", "/BANNER\\d/", "https://x.example/banner1.gif", true,
        "/BANNER\\d/");

    // Types, and what a rule without types reaches.
    const std::pair<const char *, int> types[] = {
        { "script", Script },
        { "image", Image },
        { "stylesheet", Stylesheet },
        { "object", Object },
        { "xmlhttprequest", XmlHttpRequest },
        { "subdocument", Subdocument },
        { "ping", Ping },
        { "media", Media },
        { "font", Font },
        { "websocket", WebSocket },
        { "other", Other },
        { "document", Document },
    };
    for (const auto &[name, type] : types) {
        const QByteArray rule = "||ads.example^$" + QByteArray(name);
        const QByteArray negated = "||ads.example^$~" + QByteArray(name);
        const int other = type == Image ? Script : Image;
        QTest::newRow(("$" + QByteArray(name) + " blocks its type").constData())
            << QString::fromLatin1(rule) << QStringLiteral("https://ads.example/x") << page << type
            << true << QString::fromLatin1(rule);
        QTest::newRow(("$" + QByteArray(name) + " spares another").constData())
            << QString::fromLatin1(rule) << QStringLiteral("https://ads.example/x") << page << other
            << false << QString();
        QTest::newRow(("$~" + QByteArray(name) + " spares its type").constData())
            << QString::fromLatin1(negated) << QStringLiteral("https://ads.example/x") << page
            << type << false << QString();
    }
    row("no types: not the page itself", "||ads.example^", "https://ads.example/", false, "",
        Document);
    row("no types: a frame", "||ads.example^", "https://ads.example/", true, "||ads.example^",
        Subdocument);
    row("the page is its own first party", "||bad.example^$document,domain=bad.example",
        "https://bad.example/", true, "||bad.example^$document,domain=bad.example", Document);
    row("the page is never third party", "||bad.example^$document,third-party",
        "https://bad.example/", false, "", Document);
    row("a rule for pop-ups alone blocks nothing", "||ads.example^$popup", "https://ads.example/",
        false, "", Subdocument);
    row("a pop-up and a type: the type", "||ads.example^$popup,script", "https://ads.example/x.js",
        true, "||ads.example^$popup,script");
    row("an option not applied skips the rule", "||ads.example^$redirect=noop.js",
        "https://ads.example/x.js", false, "");

    // First and third party, by registrable domain.
    row("$third-party from another site", "||cdn.example^$third-party", "https://cdn.example/a.js",
        true, "||cdn.example^$third-party");
    row("$third-party spares the same site", "||cdn.example^$third-party",
        "https://cdn.example/a.js", false, "", Script, QStringLiteral("https://www.cdn.example/"));
    row("$~third-party on the same site", "||cdn.example^$~third-party", "https://cdn.example/a.js",
        true, "||cdn.example^$~third-party", Script, QStringLiteral("https://cdn.example/"));
    row("$~third-party spares another site", "||cdn.example^$~third-party",
        "https://cdn.example/a.js", false, "");
    row("a.co.uk and b.co.uk are two sites", "||a.co.uk^$third-party", "https://a.co.uk/t.gif",
        true, "||a.co.uk^$third-party", Image, QStringLiteral("https://b.co.uk/"));
    row("two hosts of a.co.uk are one site", "||x.a.co.uk^$third-party", "https://x.a.co.uk/t.gif",
        false, "", Image, QStringLiteral("https://www.a.co.uk/"));
    row("no page: not third party", "||cdn.example^$third-party", "https://cdn.example/a.js", false,
        "", Script, QStringLiteral(""));

    // Domains of the page.
    row("$domain= on its site", "/ads.js$domain=news.example", "https://cdn.example/ads.js", true,
        "/ads.js$domain=news.example");
    row("$domain= on a subdomain", "/ads.js$domain=news.example", "https://cdn.example/ads.js",
        true, "/ads.js$domain=news.example", Script, QStringLiteral("https://www.news.example/"));
    row("$domain= elsewhere", "/ads.js$domain=news.example", "https://cdn.example/ads.js", false,
        "", Script, QStringLiteral("https://other.example/"));
    row("$domain=~ excludes", "/ads.js$domain=~news.example", "https://cdn.example/ads.js", false,
        "");
    row("$domain=~ elsewhere", "/ads.js$domain=~news.example", "https://cdn.example/ads.js", true,
        "/ads.js$domain=~news.example", Script, QStringLiteral("https://other.example/"));
    row("the most specific domain decides", "/ads.js$domain=example.com|~shop.example.com",
        "https://cdn.example/ads.js", false, "", Script,
        QStringLiteral("https://shop.example.com/"));
    row("a.* under any suffix", "/ads.js$domain=shop.*", "https://cdn.example/ads.js", true,
        "/ads.js$domain=shop.*", Script, QStringLiteral("https://www.shop.co.uk/"));
    row("a.* is not a longer name", "/ads.js$domain=shop.*", "https://cdn.example/ads.js", false,
        "", Script, QStringLiteral("https://shopping.com/"));

    // Exceptions and their precedence.
    row("@@ lets through", "||ads.example^\n@@||ads.example/ok/", "https://ads.example/ok/a.js",
        false, "@@||ads.example/ok/");
    row("@@ elsewhere blocks", "||ads.example^\n@@||ads.example/ok/", "https://ads.example/no/a.js",
        true, "||ads.example^");
    row("@@ of another type", "||ads.example^\n@@||ads.example^$image", "https://ads.example/a.js",
        true, "||ads.example^");
    row("$important over @@", "||ads.example^$important\n@@||ads.example^",
        "https://ads.example/a.js", true, "||ads.example^$important");
    row("@@$document lets the page through", "||ads.example^\n@@||news.example^$document",
        "https://ads.example/a.js", false, "@@||news.example^$document");
    row("$important over @@$document", "||ads.example^$important\n@@||news.example^$document",
        "https://ads.example/a.js", true, "||ads.example^$important");
    row("$genericblock spares generic rules", "/ads.js\n@@||news.example^$genericblock",
        "https://cdn.example/ads.js", false, "");

    // A web socket that the engine leaves untyped is typed by its scheme.
    row("$websocket on ws://", "||ads.example^$websocket", "ws://ads.example/live", true,
        "||ads.example^$websocket", Other);
    row("$websocket on wss://", "||ads.example^$websocket", "wss://ads.example/live", true,
        "||ads.example^$websocket", Other);
    row("$~websocket spares wss://", "||ads.example^$~websocket", "wss://ads.example/live", false,
        "", Other);
    row("$websocket spares an http request of no type", "||ads.example^$websocket",
        "https://ads.example/ws", false, "", Other);
    row("$other spares a web socket", "||ads.example^$other", "wss://ads.example/live", false, "",
        Other);

    // $badfilter takes out the rule of the same pattern and options, whatever their order.
    row("$badfilter cancels",
        "||ads.example^$script,third-party\n||ads.example^$third-party,"
        "script,badfilter",
        "https://ads.example/a.js", false, "");
    row("$badfilter before its rule", "||ads.example^$badfilter\n||ads.example^",
        "https://ads.example/a.js", false, "");
    row("$badfilter of other options", "||ads.example^$script\n||ads.example^$image,badfilter",
        "https://ads.example/a.js", true, "||ads.example^$script");
    row("$badfilter of another pattern", "||ads.example^\n||ads.example/x^$badfilter",
        "https://ads.example/x/a.js", true, "||ads.example^");
    row("$badfilter of an exception",
        "||ads.example^\n@@||ads.example^\n@@||ads.example^$badfilter", "https://ads.example/a.js",
        true, "||ads.example^");

    // Each IP address is a site of its own.
    row("two addresses are two sites", "||10.0.0.1^$third-party", "http://10.0.0.1/a.js", true,
        "||10.0.0.1^$third-party", Script, QStringLiteral("http://192.168.0.1/"));
    row("an address is its own site", "||10.0.0.1^$third-party", "http://10.0.0.1/a.js", false, "",
        Script, QStringLiteral("http://10.0.0.1:8080/"));

    row("$genericblock keeps rules for the site",
        "/ads.js\n/ads.js$domain=news.example\n@@||news.example^$genericblock",
        "https://cdn.example/ads.js", true, "/ads.js$domain=news.example");
}

void tst_FilterEngine::decision()
{
    QFETCH(QString, rules);
    QFETCH(QString, url);
    QFETCH(QString, page);
    QFETCH(int, type);
    QFETCH(bool, blocked);
    QFETCH(QString, rule);

    const auto engine = engineOf(rules);
    const Decision decision = decideOn(*engine, url, page, type);
    QCOMPARE(decision.blocked, blocked);
    const std::string_view text = engine->ruleText(decision.rule);
    QCOMPARE(QString::fromUtf8(text.data(), qsizetype(text.size())), rule);
}

void tst_FilterEngine::lineKind_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<LineKind>("kind");

    QTest::newRow("comment") << QByteArray("! Title: EasyList") << LineKind::Comment;
    QTest::newRow("header") << QByteArray("[Adblock Plus 2.0]") << LineKind::Comment;
    QTest::newRow("blank") << QByteArray(" \r") << LineKind::Comment;
    QTest::newRow("address rule") << QByteArray("||ads.example^$script,third-party")
                                  << LineKind::Network;
    QTest::newRow("no pattern, restricted") << QByteArray("$ping,third-party") << LineKind::Network;
    QTest::newRow("regex with $ inside")
        << QByteArray("/^https?:\\/\\/x\\.example\\/$/$script") << LineKind::Network;
    QTest::newRow("cosmetic") << QByteArray("example.com,~www.example.com##.ad")
                              << LineKind::Cosmetic;
    QTest::newRow("cosmetic exception") << QByteArray("example.com#@#.ad") << LineKind::Cosmetic;
    QTest::newRow("scriptlet") << QByteArray("example.com##+js(set, x, false)")
                               << LineKind::Unsupported;
    QTest::newRow("procedural") << QByteArray("example.com#?#div:-abp-contains(Ad)")
                                << LineKind::Unsupported;
    QTest::newRow(":has-text") << QByteArray("example.com##div:has-text(Sponsored)")
                               << LineKind::Unsupported;
    QTest::newRow(":has") << QByteArray("##div:has(> .ad)") << LineKind::Unsupported;
    QTest::newRow("snippet") << QByteArray("example.com#$#abort-on-property-read x")
                             << LineKind::Unsupported;
    QTest::newRow("style injection")
        << QByteArray("example.com##.top {margin:0 !important;}") << LineKind::Unsupported;
    QTest::newRow("HTML filter") << QByteArray("example.com##^script:has-text(ad)")
                                 << LineKind::Unsupported;
    for (const char *option :
         { "redirect=noop.js", "csp=script-src 'self'", "removeparam=utm",
           "rewrite=abp-resource:blank-mp4", "sitekey=abc", "popup", "webrtc" }) {
        QTest::newRow(option) << ("||ads.example^$" + QByteArray(option)) << LineKind::Unsupported;
    }
    QTest::newRow("badfilter") << QByteArray("||ads.example^$script,badfilter")
                               << LineKind::Network;
    QTest::newRow("$elemhide on a blocking rule")
        << QByteArray("||ads.example^$elemhide") << LineKind::Unsupported;
    QTest::newRow("every request") << QByteArray("*") << LineKind::Malformed;
    QTest::newRow("empty domain option") << QByteArray("/ads.js$domain=") << LineKind::Malformed;
    QTest::newRow("not a domain") << QByteArray("/ads.js$domain=a/b") << LineKind::Malformed;
    QTest::newRow("space in a pattern")
        << QByteArray("an ordinary sentence") << LineKind::Malformed;
    QTest::newRow("empty selector") << QByteArray("example.com##") << LineKind::Malformed;
    QTest::newRow("Latin-1") << QByteArray("||caf\xe9.example^") << LineKind::BadEncoding;
    QTest::newRow("lookahead") << QByteArray("/ad(?=s)/") << LineKind::BadRegex;
    QTest::newRow("too big for RE2") << QByteArray("/((a{100}){100}){100}/") << LineKind::BadRegex;
    QTest::newRow("too long") << ("||" + QByteArray(int(MaxLineLength), 'a') + "^")
                              << LineKind::TooLong;
}

void tst_FilterEngine::lineKind()
{
    QFETCH(QByteArray, line);
    QFETCH(LineKind, kind);
    RuleCollection rules;
    QCOMPARE(parseLine(std::string_view(line.constData(), std::size_t(line.size())), rules), kind);
    QCOMPARE(rules.network.size() + rules.cosmetic.size(),
             std::size_t(kind == LineKind::Network || kind == LineKind::Cosmetic));
}

void tst_FilterEngine::hiddenOnPage_data()
{
    QTest::addColumn<QString>("rules");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("hidden");

    const QString page = QStringLiteral("https://www.example.com/a.html");
    QTest::newRow("generic") << "##.ad" << page << ".ad";
    QTest::newRow("for the site") << "example.com##.promo" << page << ".promo";
    QTest::newRow("for another site") << "other.com##.promo" << page << "";
    QTest::newRow("everywhere but the site") << "~example.com##.banner\n##.ad" << page << ".ad";
    QTest::newRow("everywhere but another site") << "~other.com##.banner" << page << ".banner";
    QTest::newRow("a subdomain excluded") << "example.com,~www.example.com##.x" << page << "";
    QTest::newRow("under any suffix") << "example.*##.x"
                                      << "https://example.co.uk/"
                                      << ".x";
    QTest::newRow("exception on the site") << "##.ad\n##.top\nexample.com#@#.ad" << page << ".top";
    QTest::newRow("exception elsewhere") << "##.ad\nother.com#@#.ad" << page << ".ad";
    QTest::newRow("exception everywhere") << "##.ad\nexample.com##.ad\n#@#.ad" << page << "";
    QTest::newRow("$generichide keeps the site's")
        << "##.ad\nexample.com##.promo\n@@||example.com^$generichide" << page << ".promo";
    QTest::newRow("$generichide of another page")
        << "##.ad\n@@||other.com^$generichide" << page << ".ad";
    QTest::newRow("$elemhide hides nothing")
        << "##.ad\nexample.com##.promo\n@@||example.com^$elemhide" << page << "";
    QTest::newRow("$document hides nothing") << "##.ad\n@@||example.com^$document" << page << "";
    QTest::newRow("one selector once") << "##.ad\nexample.com##.ad" << page << ".ad";
    // Every http page has the generic rules, whatever its host; rules for a host only it.
    QTest::newRow("generic at an IPv4 address") << "##.ADBox"
                                                << "http://127.0.0.1:8765/"
                                                << ".ADBox";
    QTest::newRow("generic at an IPv6 address") << "##.ADBox"
                                                << "http://[::1]/"
                                                << ".ADBox";
    QTest::newRow("generic at a single label") << "##.ADBox"
                                               << "http://intranet/"
                                               << ".ADBox";
    QTest::newRow("a site's rule at an address") << "example.com##.x\n##.ADBox"
                                                 << "http://127.0.0.1:8765/"
                                                 << ".ADBox";
    QTest::newRow("for the address") << "127.0.0.1##.x"
                                     << "http://127.0.0.1:8765/"
                                     << ".x";
    QTest::newRow("for another address") << "127.0.0.1##.x"
                                         << "http://127.0.0.2/"
                                         << "";
    QTest::newRow("for the v6 address") << "[::1]##.x"
                                        << "http://[::1]:8080/"
                                        << ".x";
    QTest::newRow("for the single label") << "intranet##.x\nother##.y"
                                          << "http://intranet/"
                                          << ".x";
}

void tst_FilterEngine::hiddenOnPage()
{
    QFETCH(QString, rules);
    QFETCH(QString, page);
    QFETCH(QString, hidden);
    const auto engine = engineOf(rules);
    QCOMPARE(joined(engine->hiddenSelectors(page.toStdString())), hidden);
}

void tst_FilterEngine::styleSheetHidesEachSelectorAlone()
{
    // A selector the page's engine does not know must not take the others with it.
    const auto engine = engineOf(QStringLiteral("##.ad\n##div:unknown-thing\n##.ad2"));
    QCOMPARE(QString::fromStdString(engine->styleSheet("https://x.example/")),
             QStringLiteral(".ad { display: none !important; }\n"
                            "div:unknown-thing { display: none !important; }\n"
                            ".ad2 { display: none !important; }\n"));
}

void tst_FilterEngine::badLinesLeaveTheRestWorking()
{
    QByteArray list = "||before.example^\n";
    list += "||caf\xe9.example^\n\xff\xfe|x|\n/(a+)+$/\n/(?=x)/\n||a$b=c$d\n";
    list += "||" + QByteArray(200'000, 'x') + "\n##.ad{\n\n\n*\n";
    list += "||after.example^\r\n";
    RuleCollection rules;
    parseList(std::string_view(list.constData(), std::size_t(list.size())), rules);
    QCOMPARE(rules.figures.badEncoding, 2);
    QCOMPARE(rules.figures.badRegex, 1);
    QCOMPARE(rules.figures.tooLong, 1);
    QCOMPARE(rules.figures.networkRules, 3); // before, after and the catastrophic-looking one
    QVERIFY(rules.figures.skipped() >= 6);
    const FilterEngine engine(rules);
    QVERIFY(decideOn(engine, QStringLiteral("https://before.example/"), {}, Image).blocked);
    QVERIFY(decideOn(engine, QStringLiteral("https://after.example/"), {}, Image).blocked);
    // RE2 answers at once where a backtracking engine would take ages.
    QVERIFY(decideOn(engine, "https://x.example/" + QString(50'000, u'a') + u'!', {}, Image).blocked
            == false);
}

void tst_FilterEngine::compiledFormDecidesAsTheLists_data()
{
    QTest::addColumn<bool>("kept"); // the caller keeps the file for the engine
    QTest::addColumn<int>("offset"); // where the file starts in the caller's bytes
    QTest::addColumn<bool>("readInPlace");
    QTest::newRow("copied") << false << 0 << false;
    QTest::newRow("read where it lies") << true << 0 << true;
    QTest::newRow("kept but not aligned: copied") << true << 1 << false;
}

void tst_FilterEngine::compiledFormDecidesAsTheLists()
{
    QFETCH(bool, kept);
    QFETCH(int, offset);
    QFETCH(bool, readInPlace);
    const auto built = engineOf(QStringLiteral(
        "||ads.example^\n@@||ads.example/ok/\n/banner\\d/$image\n/t.js$domain=shop.*\n"
        "##.ad\nexample.com##.promo\nexample.com#@#.ad"));
    const std::string saved = built->save("key");
    auto bytes = std::make_shared<std::string>(std::string(std::size_t(offset), ' ') + saved);
    const std::weak_ptr<std::string> watch = bytes;
    auto loaded = FilterEngine::load(std::string_view(*bytes).substr(std::size_t(offset)), "key",
                                     kept ? bytes : nullptr);
    QVERIFY(loaded);
    bytes.reset();
    // An engine that reads the file in place holds it; one with a copy lets it go at once.
    QCOMPARE(!watch.expired(), readInPlace);
    QCOMPARE(loaded->memoryUsage() < built->memoryUsage(), readInPlace);
    for (const char *url : { "https://ads.example/x", "https://ads.example/ok/x",
                             "https://x.example/banner1.png", "https://x.example/t.js" }) {
        const Decision a = decideOn(*built, QString::fromLatin1(url), "https://shop.de/", Image);
        const Decision b = decideOn(*loaded, QString::fromLatin1(url), "https://shop.de/", Image);
        QCOMPARE(b.blocked, a.blocked);
        QCOMPARE(loaded->ruleText(b.rule), built->ruleText(a.rule));
    }
    QCOMPARE(loaded->styleSheet("https://example.com/"), built->styleSheet("https://example.com/"));
    QCOMPARE(loaded->figures().networkRules, built->figures().networkRules);
    QVERIFY(loaded->save("key") == saved);
    loaded.reset();
    QVERIFY(watch.expired());
}

void tst_FilterEngine::damagedCompiledFormIsRefused_data()
{
    QTest::addColumn<int>("damage"); // 0: other key; 1: cut short; 2: one byte changed
    QTest::addColumn<int>("at"); // where, from the end
    QTest::newRow("other lists") << 0 << 0;
    QTest::newRow("empty") << 1 << 0;
    QTest::newRow("cut in the header") << 1 << -10;
    QTest::newRow("cut by a byte") << 1 << 1;
    QTest::newRow("byte in the header") << 2 << -9;
    QTest::newRow("byte in the middle") << 2 << -1;
    QTest::newRow("last byte") << 2 << 1;
}

void tst_FilterEngine::damagedCompiledFormIsRefused()
{
    QFETCH(int, damage);
    QFETCH(int, at);
    std::string file = engineOf(QStringLiteral("||ads.example^\n##.ad"))->save("key");
    std::string key = "key";
    // Positive "at" counts from the end, negative from the start, -1 the middle.
    const std::size_t where = at == -1 ? file.size() / 2
        : at < 0                       ? std::size_t(-at)
                                       : file.size() - at;
    if (damage == 0)
        key = "other";
    else if (damage == 1)
        file.resize(at == 0 ? 0 : where);
    else
        file[where] = char(file[where] ^ 0x5a);
    QVERIFY(!FilterEngine::load(file, key));
}

void tst_FilterEngine::listsAndSources()
{
    QTemporaryDir folder;
    for (const char *name : { "b.txt", "a.txt", "sources.txt", "notes.md" })
        QVERIFY(writeAll(folder.filePath(QString::fromLatin1(name)), "||x.example^\n"));
    const QStringList lists = defaultLists(folder.path());
    QCOMPARE(lists.mid(lists.size() - 2),
             QStringList({ folder.filePath(QStringLiteral("a.txt")),
                           folder.filePath(QStringLiteral("b.txt")) }));

    const QByteArray key = listsKey(lists);
    QVERIFY(writeAll(folder.filePath(QStringLiteral("a.txt")), "||x.example^\n||y.example^\n"));
    QVERIFY(listsKey(lists) != key);

    const QList<QUrl> addresses = sourceAddresses(
        "https://lists.example/easylist.txt\r\n# a comment\n\nftp://x.example/a.txt\n"
        "not an address\nhttp://lists.example/other.txt\nhttps://lists.example/easylist.txt\n");
    QCOMPARE(addresses,
             QList<QUrl>({ QUrl(QStringLiteral("https://lists.example/easylist.txt")),
                           QUrl(QStringLiteral("http://lists.example/other.txt")) }));
    const QString one = fetchedListName(addresses.at(0));
    QVERIFY(one.startsWith(QLatin1String("easylist-")) && one.endsWith(QLatin1String(".txt")));
    QVERIFY(one != fetchedListName(QUrl(QStringLiteral("https://mirror.example/easylist.txt"))));
}

KESTRAV_TEST_GUILESS_MAIN(tst_FilterEngine)
#include "tst_filterengine.moc"
