#include "httpserver.h"
#include "platform/api/platformerror.h"
#include "platform/desktop/transfer/networkinternettransfer.h"
#include "testsupport.h"

#include <optional>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

namespace {

constexpr qint64 SizeLimit = 100 * 1024;

// Runs OpenURL and hands back its failure, if any.
std::optional<PlatformError> failureOf(InternetTransfer &transfer, const QString &url)
{
    try {
        transfer.OpenURL(url);
    } catch (const PlatformError &error) {
        return error;
    }
    return std::nullopt;
}

} // namespace

class tst_InternetTransfer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void fetchesText_data();
    void fetchesText();
    void failsWithError_data();
    void failsWithError();
    void cancelEndsTransferInProgress();
    void boundedWhateverTheTransfer_data();
    void boundedWhateverTheTransfer();

private:
    // Serves body on path with the given Content-Type and answers its full address.
    QString serve(const QString &path, const QByteArray &contentType, const QByteArray &body);

    TestSandbox m_sandbox;
    HttpServer m_server;
};

void tst_InternetTransfer::initTestCase()
{
    QVERIFY(m_server.listen());
    m_server.route(QStringLiteral("/quick"), QByteArray("arrived"));
    HttpResponse stalled; // the body never comes
    stalled.body = "too late";
    stalled.held = true;
    m_server.route(QStringLiteral("/stalled"), stalled);
}

QString tst_InternetTransfer::serve(const QString &path, const QByteArray &contentType,
                                    const QByteArray &body)
{
    HttpResponse response;
    response.contentType = contentType;
    response.body = body;
    m_server.route(path, response);
    return m_server.url(path);
}

void tst_InternetTransfer::fetchesText_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("expected");

    const QString text = QStringLiteral("Gr\u00fc\u00dfe aus K\u00f6ln");
    QTest::newRow("windows-1252 declared")
        << serve("/cp1252", "text/plain; charset=windows-1252", "\x80 10")
        << QStringLiteral("\u20ac 10");
    QTest::newRow("quoted charset, spaces")
        << serve("/quoted", "text/plain ;  charset=\"iso-8859-1\"", text.toLatin1()) << text;
    QTest::newRow("nothing declared reads as utf-8")
        << serve("/plain", "text/plain", text.toUtf8()) << text;
    QTest::newRow("unknown charset reads as utf-8")
        << serve("/unknown", "text/plain; charset=x-no-such-charset", text.toUtf8()) << text;
    const QByteArray meta = "<meta charset=\"iso-8859-1\">";
    QTest::newRow("charset in the document only")
        << serve("/meta", "text/html", meta + text.toLatin1()) << QString::fromLatin1(meta) + text;
    QTest::newRow("header wins over the document")
        << serve("/header", "text/html; charset=utf-8", meta + text.toUtf8())
        << QString::fromLatin1(meta) + text;
    HttpResponse gzip;
    gzip.headers = { "Content-Encoding: gzip" };
    gzip.body = HttpServer::gzip(text.toUtf8().repeated(1000));
    m_server.route(u"/gzip-text"_s, gzip);
    QTest::newRow("gzip, decoded") << m_server.url(u"/gzip-text"_s) << text.repeated(1000);
    HttpResponse brotli;
    brotli.headers = { "Content-Encoding: br" };
    brotli.body = HttpServer::brotli(text.toUtf8());
    brotli.chunked = true;
    m_server.route(u"/brotli-text"_s, brotli);
    QTest::newRow("brotli in chunks, decoded") << m_server.url(u"/brotli-text"_s) << text;
    QTest::newRow("exactly the size limit")
        << serve("/limit", "text/plain", QByteArray(SizeLimit, 'x'))
        << QString(SizeLimit, QLatin1Char('x'));

    // An error answer is a document too: the page that the server sent with it.
    QTest::newRow("404 with the server's page")
        << m_server.url(QStringLiteral("/missing")) << QStringLiteral("not found");
    HttpResponse broken;
    broken.status = 500;
    broken.body = "<h1>Internal error</h1>";
    m_server.route(QStringLiteral("/broken"), broken);
    QTest::newRow("500 with the server's page")
        << m_server.url(QStringLiteral("/broken")) << QStringLiteral("<h1>Internal error</h1>");

    const QList<int> hops = { 302, 301, 307, 303 };
    for (qsizetype i = 0; i < hops.size(); ++i) {
        HttpResponse hop;
        hop.status = hops.at(i);
        hop.location = i + 1 < hops.size() ? "/hop-" + QByteArray::number(i + 1) : "/quick";
        m_server.route(QStringLiteral("/hop-%1").arg(i), hop);
    }
    QTest::newRow("redirects 302, 301, 307, 303")
        << m_server.url(QStringLiteral("/hop-0")) << QStringLiteral("arrived");
}

void tst_InternetTransfer::fetchesText()
{
    QFETCH(QString, url);
    QFETCH(QString, expected);

    NetworkInternetTransfer transfer(60s, SizeLimit);
    QCOMPARE(transfer.OpenURL(url), expected);
}

void tst_InternetTransfer::failsWithError_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<int>("timeoutMs");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("description");

    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 closedPort = closed.serverPort();
    closed.close();

    // The descriptions end up in the status bar.
    QTest::newRow("nothing listening on the port")
        << QStringLiteral("http://127.0.0.1:%1/").arg(closedPort) << 60'000 << ErrorCode::Unexpected
        << QStringLiteral("Connection refused");
    QTest::newRow("ftp") << QStringLiteral("ftp://127.0.0.1/file.txt") << 60'000
                         << ErrorCode::InvalidProcedureCall
                         << QStringLiteral("Not an http or https address.");
    QTest::newRow("blank") << QStringLiteral("   ") << 60'000 << ErrorCode::InvalidProcedureCall
                           << QStringLiteral("Not an http or https address.");
    QTest::newRow("one byte over the size limit")
        << serve("/over", "text/plain", QByteArray(SizeLimit + 1, 'x')) << 60'000
        << ErrorCode::Overflow << QStringLiteral("The document is larger than 100 KiB.");
    QTest::newRow("nothing arrives")
        << m_server.url(QStringLiteral("/stalled")) << 300 << ErrorCode::TransferTimedOut
        << QStringLiteral("The transfer timed out.");
}

void tst_InternetTransfer::failsWithError()
{
    QFETCH(QString, url);
    QFETCH(int, timeoutMs);
    QFETCH(int, number);
    QFETCH(QString, description);

    NetworkInternetTransfer transfer(std::chrono::milliseconds(timeoutMs), SizeLimit);
    const auto error = failureOf(transfer, url);
    QVERIFY(error);
    QCOMPARE(error->number(), number);
    QCOMPARE(error->description(), description);
}

void tst_InternetTransfer::cancelEndsTransferInProgress()
{
    NetworkInternetTransfer transfer;
    transfer.Cancel(); // when idle: changes nothing
    // Runs from the wait inside OpenURL, while the reply is still open.
    QTimer::singleShot(0ms, [&transfer] { transfer.Cancel(); });
    const auto error = failureOf(transfer, m_server.url(QStringLiteral("/stalled")));
    QVERIFY(error);
    QVERIFY(error->number() != ErrorCode::TransferTimedOut);

    // The transfer is usable again afterwards, and an idle Cancel leaves it so.
    transfer.Cancel();
    QCOMPARE(transfer.OpenURL(m_server.url(QStringLiteral("/quick"))), QStringLiteral("arrived"));
}

void tst_InternetTransfer::boundedWhateverTheTransfer_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<qint64>("sizeLimit");
    QTest::addColumn<int>("timeoutMs");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("description");

    const auto serveResponse = [this](const QString &path, HttpResponse response) {
        response.contentType = "text/plain";
        m_server.route(path, response);
        return m_server.url(path);
    };
    const auto encoded = [](const QByteArray &coding, const QByteArray &body) {
        HttpResponse response;
        response.headers = { "Content-Encoding: " + coding };
        response.body = coding == "br" ? HttpServer::brotli(body) : HttpServer::gzip(body);
        return response;
    };
    const QString overLimit = u"The document is larger than 100 KiB."_s;
    const QString overCap = u"The document is larger than 64 MiB."_s;
    constexpr qint64 Cap = NetworkInternetTransfer::MaxDocumentBytes;

    // Inflated text counts, not the bytes on the wire.
    QTest::newRow("gzip, 2 KiB inflating to 4 MiB")
        << serveResponse(u"/gzip"_s, encoded("gzip", QByteArray(4 << 20, 'g'))) << SizeLimit
        << 60'000 << int(ErrorCode::Overflow) << overLimit;
    QTest::newRow("brotli, a few bytes inflating to 4 MiB")
        << serveResponse(u"/brotli"_s, encoded("br", QByteArray(4 << 20, 'b'))) << SizeLimit
        << 60'000 << int(ErrorCode::Overflow) << overLimit;
    // Inflating a thousand times, it is ended by the network's own check long before the cap.
    const QString bomb
        = u"The document's compressed body is damaged or inflates far beyond its size."_s;
    QTest::newRow("gzip inflating to twice the real cap")
        << serveResponse(u"/gzip-bomb"_s, encoded("gzip", QByteArray(2 * Cap, '\0'))) << Cap
        << 60'000 << int(ErrorCode::Overflow) << bomb;
    QTest::newRow("endless chunked body, against the real cap")
        << serveResponse(u"/endless"_s, HttpResponse::endlessText()) << Cap << 60'000
        << int(ErrorCode::Overflow) << overCap;
    HttpResponse huge;
    huge.announcedLength = qint64(1) << 40;
    huge.body = "announced a terabyte";
    huge.held = true;
    QTest::newRow("a Content-Length over the limit fails at once")
        << serveResponse(u"/huge"_s, huge) << SizeLimit << 60'000 << int(ErrorCode::Overflow)
        << overLimit;
    HttpResponse never;
    never.announcedLength = 1000;
    never.body = QByteArray(500, 'n');
    never.holdAfter = 500; // the other half never comes
    QTest::newRow("a Content-Length that never arrives")
        << serveResponse(u"/never"_s, never) << SizeLimit << 300 << int(ErrorCode::TransferTimedOut)
        << u"The transfer timed out."_s;
    HttpResponse loop;
    loop.status = 302;
    loop.location = "/loop";
    QTest::newRow("a redirect loop")
        << serveResponse(u"/loop"_s, loop) << SizeLimit << 60'000 << int(ErrorCode::Unexpected)
        << u"The address redirects more than 50 times, in a loop or nearly."_s;
}

void tst_InternetTransfer::boundedWhateverTheTransfer()
{
    QFETCH(QString, url);
    QFETCH(qint64, sizeLimit);
    QFETCH(int, timeoutMs);
    QFETCH(int, number);
    QFETCH(QString, description);

    NetworkInternetTransfer transfer(std::chrono::milliseconds(timeoutMs), sizeLimit);
    const auto error = failureOf(transfer, url);
    QVERIFY(error);
    QCOMPARE(error->description(), description);
    QCOMPARE(error->number(), number);
}

KESTRAV_TEST_GUILESS_MAIN(tst_InternetTransfer)
#include "tst_internettransfer.moc"
