#include "hostedcontrol.h"
#include "httpserver.h"
#include "platform/api/platformerror.h"
#include "platform/api/shownlimits.h"
#include "platform/desktop/webengine/pagedocument.h"
#include "platform/desktop/webengine/webenginebrowsercontrol.h"
#include "testsupport.h"

#include <memory>
#include <QWidget>

using namespace Qt::StringLiterals;

// The page's HTML and links, read in bounded steps from pages far larger than a window lists
// or shows.
class tst_PageDocument : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void bodyComesWholeOrNotAtAll_data();
    void bodyComesWholeOrNotAtAll();
    void linksStopAtTheBound();

private:
    HttpServer m_server;
    std::unique_ptr<QWidget> m_host;
    WebEngineBrowserControl *m_control = nullptr;
};

void tst_PageDocument::initTestCase()
{
    QVERIFY(m_server.listen());
    m_host = std::make_unique<QWidget>();
    m_control = showInHost(*m_host);
}

void tst_PageDocument::bodyComesWholeOrNotAtAll_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("number"); // 0 when the body comes

    // The emoji's first half ends the first piece of 1 Mi characters ("<p>" comes first).
    const QByteArray split = "<p>" + QByteArray(1024 * 1024 - 4, 'a') + "\xf0\x9f\x98\x80"
        + QByteArray(1000, 'b') + "</p>";
    QTest::newRow("three pieces, a character across the first end")
        << split + "<p>" + QByteArray(1024 * 1024, 'c') + "</p>" << 0;
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("just over the source view's bound") << "<script>document.write('x'.repeat("
            + QByteArray::number(ShownLimits::MaxTextChars - 7)
            + "));</script>" << int(ErrorCode::Overflow);
}

void tst_PageDocument::bodyComesWholeOrNotAtAll()
{
    QFETCH(QByteArray, body);
    QFETCH(int, number);

    const QString path = u"/"_s + QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-');
    m_server.route(path, htmlPage("Body", body));
    QVERIFY(loadAndWait(*m_control, m_server.url(path)));
    const auto failure = failureOf([&] {
        const QString html = m_control->document().DocumentBodyInnerHTML();
        QCOMPARE(html, QString::fromUtf8(body));
    });
    QCOMPARE(failure ? failure->number() : 0, number);
}

void tst_PageDocument::linksStopAtTheBound()
{
    // Ten times what is read, made by the page itself.
    m_server.route(u"/links.html"_s,
                   htmlPage("Links",
                            "<script>var html = [];"
                            "for (var i = 0; i < 100000; ++i) html.push('<a href=\"/l' + i + "
                            "'\">' + i + '</a>');"
                            "document.write(html.join(''));</script>"));
    QVERIFY(loadAndWait(*m_control, m_server.url(u"/links.html"_s)));
    const QStringList links = m_control->document().DocumentLinkHrefs();
    QCOMPARE(links.size(), PageDocument::MaxLinkHrefs);
    QCOMPARE(links.first(), m_server.url(u"/l0"_s));
    QCOMPARE(links.last(), m_server.url(u"/l9999"_s));
}

KESTRAV_TEST_MAIN(tst_PageDocument)
#include "tst_pagedocument.moc"
