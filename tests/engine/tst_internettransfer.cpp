#include "httpserver.h"
#include "networkinternettransfer.h"
#include "platformerror.h"
#include "testsupport.h"

#include <optional>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

using namespace std::chrono_literals;

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

KESTRAV_TEST_GUILESS_MAIN(tst_InternetTransfer)
#include "tst_internettransfer.moc"
