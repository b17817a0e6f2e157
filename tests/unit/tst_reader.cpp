#include "fakesettingsstore.h"
#include "platform/api/platformerror.h"
#include "platform/desktop/settings/sqlitesettingsstore.h"
#include "reader/articlepage.h"
#include "reader/darkpages.h"
#include "reader/readerrules.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The reader view's rules (the article page, its addresses) and the dark-pages choice.
class tst_Reader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readingTime_data();
    void readingTime();
    void articlePageKeepsThePageOut();
    void addressesGoBothWays_data();
    void addressesGoBothWays();
    void darkPagesKeptAcrossRuns();
    void darkPagesFailingStore();
    void darkPagesEngineFlags_data();
    void darkPagesEngineFlags();
};

void tst_Reader::readingTime_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("minutes");

    const auto words = [](int n) { return u"word "_s.repeated(n); };
    QTest::newRow("nothing") << u" \n\t "_s << 0;
    QTest::newRow("one word is a minute") << u"hello"_s << 1;
    QTest::newRow("just under one and a half") << words(356) << 1;
    QTest::newRow("one and a half rounds up") << words(357) << 2;
    QTest::newRow("ten minutes") << words(2380) << 10;
    // Ideographs are read about as fast as words are.
    QTest::newRow("written without spaces") << QString(476, QChar(0x6587)) << 2;
    QTest::newRow("mixed") << words(200) + QString(276, QChar(0x3042)) << 2;
}

void tst_Reader::readingTime()
{
    QFETCH(QString, text);
    QFETCH(int, minutes);
    QCOMPARE(Reader::readingMinutes(text), minutes);
}

void tst_Reader::articlePageKeepsThePageOut()
{
    Reader::Article article;
    article.title = u"Tags </title><script>alert(1)</script>"_s;
    article.byline = u"A & B"_s;
    article.contentHtml = u"<p>Body text</p>"_s;
    article.text = u"word "_s.repeated(500);
    article.pageUrl = u"https://example.org/a?b=1"_s;
    article.language = u"de\" onload=\"x"_s;
    article.direction = u"rtl"_s;
    const QString html = QString::fromUtf8(Reader::articleHtml(article));

    // The policy comes before anything of the page, and allows no script.
    const qsizetype policy = html.indexOf(u"http-equiv=\"Content-Security-Policy\""_s);
    QVERIFY(policy > 0);
    QVERIFY(policy < html.indexOf(u"<title>"_s));
    QVERIFY(Reader::contentSecurityPolicy().contains("script-src 'none'"));
    QVERIFY(Reader::contentSecurityPolicy().contains("default-src 'none'"));
    // The page's texts are text, not markup.
    QVERIFY(!html.contains(u"<script>"_s));
    QVERIFY(html.contains(u"<h1>Tags &lt;/title&gt;&lt;script&gt;alert(1)&lt;/script&gt;</h1>"_s));
    QVERIFY(html.contains(u"A &amp; B"_s));
    QVERIFY(html.contains(u"lang=\"de onload=x\" dir=\"rtl\""_s));
    QVERIFY(html.contains(u"example.org"_s));
    QVERIFY(html.contains(Reader::readingTimeText(2)));
    QVERIFY(html.contains(u"<main><p>Body text</p></main>"_s));
    QVERIFY(html.contains(u"max-width: 70ch"_s));
    QVERIFY(html.contains(u"prefers-color-scheme: dark"_s));
}

void tst_Reader::addressesGoBothWays_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<bool>("hasArticle");

    QTest::newRow("plain") << u"https://example.org/a/b.html"_s << true;
    QTest::newRow("query and fragment") << u"http://127.0.0.1:8080/p?x=1&y=%2F#part"_s << true;
    QTest::newRow("local file") << u"file:///usr/share/doc/a%20b.html"_s << true;
    QTest::newRow("own page") << u"qrc:/startpage/start.html"_s << false;
    QTest::newRow("script address") << u"javascript:alert(1)"_s << false;
    QTest::newRow("reader inside reader") << u"kestrav-reader:https://example.org/"_s << false;
}

void tst_Reader::addressesGoBothWays()
{
    QFETCH(QString, page);
    QFETCH(bool, hasArticle);

    const QUrl url(page);
    QCOMPARE(Reader::mayHaveArticle(url), hasArticle);
    const QUrl reader = Reader::readerAddress(url);
    QVERIFY(Reader::isReaderAddress(reader));
    QVERIFY(!Reader::isReaderAddress(url) || !hasArticle);
    // What the address box shows comes back as the same reader address.
    QCOMPARE(QUrl(reader.toString()), reader);
    QCOMPARE(Reader::pageAddress(reader), hasArticle ? url : QUrl());
}

void tst_Reader::darkPagesKeptAcrossRuns()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"settings.db"_s);
    {
        SqliteSettingsStore store(file);
        DarkPages dark(store);
        QVERIFY(!dark.isOn());
        QCOMPARE(dark.toggle(), DarkPages::changedMessage(true));
        QVERIFY(dark.isOn());
    }
    SqliteSettingsStore store(file);
    DarkPages dark(store);
    QVERIFY(dark.isOn());
    QCOMPARE(dark.toggle(), DarkPages::changedMessage(false));
    QVERIFY(!DarkPages(store).isOn());
    QVERIFY(DarkPages::changedMessage(true) != DarkPages::changedMessage(false));
}

void tst_Reader::darkPagesFailingStore()
{
    FakeSettingsStore store;
    DarkPages dark(store);
    dark.toggle();
    // A write that fails says so and leaves the choice as it was.
    store.failWritesAfter(0);
    QVERIFY_THROWS_EXCEPTION(PlatformError, dark.toggle());
    QVERIFY(dark.isOn());
    // A store that cannot be read leaves pages as the engine draws them.
    store.setUnreadable(true);
    QVERIFY(!dark.isOn());
}

void tst_Reader::darkPagesEngineFlags_data()
{
    QTest::addColumn<QByteArray>("flags");
    QTest::addColumn<bool>("on");
    QTest::addColumn<bool>("darkened");

    QTest::newRow("off") << QByteArray("--disable-gpu") << false << false;
    QTest::newRow("on") << QByteArray("--disable-gpu") << true << true;
    QTest::newRow("on, no switches before") << QByteArray() << true << true;
    QTest::newRow("the user's own blink settings")
        << QByteArray("--blink-settings=a=b") << true << false;
}

void tst_Reader::darkPagesEngineFlags()
{
    QFETCH(QByteArray, flags);
    QFETCH(bool, on);
    QFETCH(bool, darkened);

    const QByteArray result = DarkPages::engineFlags(flags, on);
    QVERIFY(result.startsWith(flags));
    QCOMPARE(result.contains("forceDarkModeEnabled=true"), darkened);
    QCOMPARE(result.contains("preferredColorScheme=0"), darkened);
    // Pictures keep their colours.
    QCOMPARE(result.contains("--dark-mode-settings=ImagePolicy=1"), darkened);
    // Applied twice, as at a second start in one process, it adds nothing more.
    QCOMPARE(DarkPages::engineFlags(result, on), result);
}

QTEST_GUILESS_MAIN(tst_Reader)
#include "tst_reader.moc"
