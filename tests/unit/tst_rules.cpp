#include "capture/clipboardpicture.h"
#include "capture/pagetextname.h"
#include "fakesettingsstore.h"
#include "htmltools/fetchnotice.h"
#include "htmltools/linklist.h"
#include "htmltools/textsearch.h"
#include "mail/mailfolders.h"
#include "navigation/sitezoom.h"
#include "platform/api/clipboard.h"
#include "platform/desktop/webengine/transferrate.h"
#include "testsupport.h"

// (ms, bytes received in all) of a download.
using RateSamples = QList<QPair<qint64, qint64>>;

// The small rules of the HTML, capture and mail commands, and a download's rate.
class tst_Rules : public QObject
{
    Q_OBJECT

private slots:
    void findInText_data();
    void findInText();
    void zoomSteps_data();
    void zoomSteps();
    void siteZoomKept();
    void listedLinks_data();
    void listedLinks();
    void fetchFailureNotice_data();
    void fetchFailureNotice();
    void pageTextFileName_data();
    void pageTextFileName();
    void holdsPicture_data();
    void holdsPicture();
    void defaultFolderNamed_data();
    void defaultFolderNamed();
    void transferRate_data();
    void transferRate();
};

void tst_Rules::findInText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("needle");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<int>("from");
    QTest::addColumn<bool>("backward");
    QTest::addColumn<QList<int>>("found"); // start, ordinal, count
    const QString text = QStringLiteral("ab Ab aB xx ab");
    QTest::newRow("first from the start")
        << text << "ab" << false << 0 << false << QList<int> { 0, 1, 4 };
    QTest::newRow("next after the first")
        << text << "ab" << false << 1 << false << QList<int> { 3, 2, 4 };
    QTest::newRow("forward wraps to the first")
        << text << "ab" << false << 13 << false << QList<int> { 0, 1, 4 };
    QTest::newRow("previous") << text << "ab" << false << 6 << true << QList<int> { 3, 2, 4 };
    QTest::newRow("backward wraps to the last")
        << text << "ab" << false << 0 << true << QList<int> { 12, 4, 4 };
    QTest::newRow("match case") << text << "ab" << true << 1 << false << QList<int> { 12, 2, 2 };
    QTest::newRow("matches do not overlap")
        << "aaaa"
        << "aa" << false << 1 << false << QList<int> { 2, 2, 2 };
    QTest::newRow("not found") << text << "zz" << false << 0 << false << QList<int> { -1, 0, 0 };
    QTest::newRow("nothing to find")
        << text << "" << false << 0 << false << QList<int> { -1, 0, 0 };
}

void tst_Rules::findInText()
{
    QFETCH(QString, text);
    QFETCH(QString, needle);
    QFETCH(bool, matchCase);
    QFETCH(int, from);
    QFETCH(bool, backward);
    QFETCH(QList<int>, found);
    const HtmlTools::TextMatch match = HtmlTools::findInText(
        text, needle, matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive, from, backward);
    QCOMPARE((QList<int> { int(match.start), match.ordinal, match.count }), found);
}

void tst_Rules::zoomSteps_data()
{
    QTest::addColumn<double>("factor");
    QTest::addColumn<double>("up");
    QTest::addColumn<double>("down");
    QTest::newRow("100 %") << 1.0 << 1.1 << 0.9;
    QTest::newRow("a third, as the engine keeps it") << 0.333333 << 0.5 << 0.25;
    QTest::newRow("between steps") << 1.17 << 1.25 << 1.1;
    QTest::newRow("largest stays") << 5.0 << 5.0 << 4.0;
    QTest::newRow("smallest stays") << 0.25 << 0.33 << 0.25;
    QTest::newRow("beyond the largest") << 7.0 << 5.0 << 5.0;
}

void tst_Rules::zoomSteps()
{
    QFETCH(double, factor);
    QFETCH(double, up);
    QFETCH(double, down);
    QCOMPARE(SiteZoom::stepped(factor, true), up);
    QCOMPARE(SiteZoom::stepped(factor, false), down);
}

void tst_Rules::siteZoomKept()
{
    FakeSettingsStore store;
    const QString page = QStringLiteral("https://Example.test:8080/a/page?q=1");
    SiteZoom::keep(store, page, 1.25);
    // The host alone is kept, in a section of its own.
    QCOMPARE(store.GetAllSettings(SiteZoom::application(), SiteZoom::section()),
             (QList<SettingsStore::Row> { { "example.test", "125" } }));
    QCOMPARE(SiteZoom::forAddress(store, QStringLiteral("http://example.test/other")), 1.25);
    QCOMPARE(SiteZoom::forAddress(store, QStringLiteral("http://other.test/")), 1.0);
    QCOMPARE(store.GetAllSettings(SiteZoom::application(), QStringLiteral("URL History")),
             QList<SettingsStore::Row>());
    // Back at 100 %, the site is forgotten; an address without a host keeps nothing.
    SiteZoom::keep(store, page, 1.0);
    SiteZoom::keep(store, QStringLiteral("about:blank"), 2.0);
    QCOMPARE(store.GetAllSettings(SiteZoom::application(), SiteZoom::section()),
             QList<SettingsStore::Row>());
    // A value edited by hand into nonsense reads as 100 %.
    store.SaveSetting(SiteZoom::application(), SiteZoom::section(), QStringLiteral("bad.test"),
                      QStringLiteral("9000"));
    QCOMPARE(SiteZoom::forAddress(store, QStringLiteral("http://bad.test/")), 1.0);
}

void tst_Rules::listedLinks_data()
{
    QTest::addColumn<int>("links");
    QTest::addColumn<int>("listed");
    QTest::newRow("none") << 0 << 0;
    QTest::newRow("a few") << 3 << 3;
    QTest::newRow("exactly the limit") << 101 << 101;
    QTest::newRow("one past the limit") << 102 << 101;
    QTest::newRow("a link farm") << 10000 << 101;
}

void tst_Rules::listedLinks()
{
    QFETCH(int, links);
    QFETCH(int, listed);
    QStringList all;
    for (int i = 0; i < links; ++i)
        all.append(QStringLiteral("http://127.0.0.1/%1").arg(i));
    const QStringList shown = HtmlTools::listedLinks(all);
    QCOMPARE(shown.size(), listed);
    QCOMPARE(shown, all.mid(0, listed)); // the first ones, in document order
}

void tst_Rules::fetchFailureNotice_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("notice");
    const QString host = QStringLiteral("http://host/x");
    QTest::newRow("sentence becomes a clause")
        << host << "Connection refused."
        << "Could not fetch http://host/x: connection refused";
    QTest::newRow("capitals of an abbreviation kept")
        << host << "SSL handshake failed"
        << "Could not fetch http://host/x: SSL handshake failed";
    QTest::newRow("several lines become one")
        << host << "Host not found\r\n\tby the resolver.\n"
        << "Could not fetch http://host/x: host not found by the resolver";
    QTest::newRow("no reason") << host << " . "
                               << "Could not fetch http://host/x";

    const QString query(200, QLatin1Char('q'));
    const QString longAddress = "http://host/?" + query + "&end";
    const QString shortened = longAddress.left(50) + QChar(0x2026) + longAddress.right(49);
    QTest::newRow("long address shortened in the middle")
        << longAddress << "Not found"
        << "Could not fetch " + shortened + ": not found";
    const QString longest = "http://host/" + QString(88, QLatin1Char('a'));
    QTest::newRow("longest address kept whole") << longest << "Not found"
                                                << "Could not fetch " + longest + ": not found";
}

void tst_Rules::fetchFailureNotice()
{
    QFETCH(QString, address);
    QFETCH(QString, reason);
    QFETCH(QString, notice);
    QCOMPARE(HtmlTools::fetchFailureNotice(address, reason), notice);
}

void tst_Rules::pageTextFileName_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("name"); // "" when nothing may be written

    QTest::newRow("plain title") << "Kestrav start"
                                 << "Kestrav start.txt";
    QTest::newRow("title with dots") << "v1.2 notes"
                                     << "v1.2 notes.txt";
    QTest::newRow("leading dot kept") << ".profile"
                                      << ".profile.txt";
    QTest::newRow("non-ASCII") << QStringLiteral("Prüfung ✓") << QStringLiteral("Prüfung ✓.txt");
    QTest::newRow("longest allowed") << QString(251, u'a') << QString(251, u'a') + ".txt";

    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("dot") << "."
                         << "";
    QTest::newRow("dot dot") << ".."
                             << "";
    QTest::newRow("climbs out") << "../x"
                                << "";
    QTest::newRow("absolute") << "/tmp/x"
                              << "";
    QTest::newRow("subfolder") << "a/b"
                               << "";
    QTest::newRow("backslash") << "a\\b"
                               << "";
    QTest::newRow("untitled page's address") << "http://127.0.0.1/page"
                                             << "";
    QTest::newRow("line break") << "two\nlines"
                                << "";
    QTest::newRow("NUL") << QString(QStringLiteral("a") + QChar(0) + QStringLiteral("b")) << "";
    QTest::newRow("one byte too long") << QString(252, u'a') << "";
    QTest::newRow("too long in bytes, not characters") << QString(126, QChar(0x00fc)) << "";
}

void tst_Rules::pageTextFileName()
{
    QFETCH(QString, title);
    QFETCH(QString, name);
    const std::optional<QString> made = Capture::pageTextFileName(title);
    QCOMPARE(made.value_or(QString()), name);
}

namespace {

// A clipboard that holds data in exactly the given formats.
class FormatsClipboard final : public Clipboard
{
public:
    explicit FormatsClipboard(QList<int> formats)
        : m_formats(std::move(formats))
    {
    }
    void Clear() override { m_formats.clear(); }
    bool GetFormat(int format) const override { return m_formats.contains(format); }
    QImage GetData(int) const override { return QImage(); }

private:
    QList<int> m_formats;
};

} // namespace

void tst_Rules::holdsPicture_data()
{
    QTest::addColumn<QList<int>>("formats");
    QTest::addColumn<bool>("picture");
    QTest::newRow("nothing") << QList<int> {} << false;
    QTest::newRow("text") << QList<int> { 1 } << false;
    QTest::newRow("rich text and files") << QList<int> { -16639, 15 } << false;
    QTest::newRow("bitmap") << QList<int> { 2 } << true;
    QTest::newRow("metafile") << QList<int> { 3 } << true;
    QTest::newRow("device-independent bitmap") << QList<int> { 8 } << true;
    QTest::newRow("palette") << QList<int> { 9 } << true;
    QTest::newRow("text and bitmap") << QList<int> { 1, 2 } << true;
}

void tst_Rules::holdsPicture()
{
    QFETCH(QList<int>, formats);
    QFETCH(bool, picture);
    QCOMPARE(Capture::holdsPicture(FormatsClipboard(formats)), picture);
}

void tst_Rules::defaultFolderNamed_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("folder"); // 0: none
    QTest::newRow("Inbox") << "Inbox" << 6;
    QTest::newRow("lower case") << "inbox" << 6;
    QTest::newRow("upper case") << "INBOX" << 6;
    QTest::newRow("Outbox") << "Outbox" << 4;
    QTest::newRow("Contacts") << "cOnTaCtS" << 10;
    QTest::newRow("unknown") << "Drafts" << 0;
    QTest::newRow("padded") << " Inbox" << 0;
    QTest::newRow("empty") << "" << 0;
}

void tst_Rules::defaultFolderNamed()
{
    QFETCH(QString, name);
    QFETCH(int, folder);
    const auto found = Mail::defaultFolderNamed(name);
    QCOMPARE(found ? int(*found) : 0, folder);
}

void tst_Rules::transferRate_data()
{
    // Samples of (ms, bytes received in all), the time asked, and the rate in bytes a second.
    using Samples = RateSamples;
    QTest::addColumn<Samples>("samples");
    QTest::addColumn<qint64>("now");
    QTest::addColumn<qint64>("rate");
    QTest::newRow("nothing yet") << Samples { { 0, 500 } } << qint64(1000) << qint64(0);
    // 6 MB came while the save question was open; then 650 kB a second.
    QTest::newRow("bytes before the start are not counted")
        << Samples { { 0, 6'000'000 }, { 1000, 6'650'000 }, { 2000, 7'300'000 } } << qint64(2000)
        << qint64(650'000);
    QTest::newRow("only the last seconds count")
        << Samples { { 0, 0 }, { 1000, 10'000'000 }, { 6000, 10'100'000 }, { 11000, 10'200'000 } }
        << qint64(11000) << qint64(20'000);
    QTest::newRow("a stall brings it down")
        << Samples { { 0, 0 }, { 1000, 1'000'000 } } << qint64(10'000) << qint64(0);
}

void tst_Rules::transferRate()
{
    QFETCH(RateSamples, samples);
    QFETCH(qint64, now);
    QFETCH(qint64, rate);
    TransferRate measured;
    for (const auto &[at, bytes] : samples)
        measured.add(at, bytes);
    QCOMPARE(measured.bytesPerSecond(now), rate);
}

KESTRAV_TEST_GUILESS_MAIN(tst_Rules)
#include "tst_rules.moc"
