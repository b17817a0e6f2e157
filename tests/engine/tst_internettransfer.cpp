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

    void decodesDeclaredCharset_data();
    void decodesDeclaredCharset();
    void followsRedirects_data();
    void followsRedirects();
    void failsWithError_data();
    void failsWithError();
    void capsTheSize_data();
    void capsTheSize();
    void timesOutWhenNothingArrives();
    void cancelEndsTransferInProgress();
    void cancelWhenIdleChangesNothing();

private:
    TestSandbox m_sandbox;
    HttpServer m_server;
};

void tst_InternetTransfer::initTestCase()
{
    QVERIFY(m_server.listen());
}

void tst_InternetTransfer::decodesDeclaredCharset_data()
{
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("expected");

    const QString text = QStringLiteral("Gr\u00fc\u00dfe aus K\u00f6ln");
    QTest::newRow("utf-8 declared")
        << QByteArray("text/html; charset=utf-8") << text.toUtf8() << text;
    QTest::newRow("iso-8859-1 declared")
        << QByteArray("text/html; charset=ISO-8859-1") << text.toLatin1() << text;
    QTest::newRow("windows-1252 declared") << QByteArray("text/plain; charset=windows-1252")
                                           << QByteArray("\x80 10") << QStringLiteral("\u20ac 10");
    QTest::newRow("quoted charset, spaces")
        << QByteArray("text/plain ;  charset=\"iso-8859-1\"") << text.toLatin1() << text;
    QTest::newRow("nothing declared reads as utf-8")
        << QByteArray("text/plain") << text.toUtf8() << text;
    QTest::newRow("unknown charset reads as utf-8")
        << QByteArray("text/plain; charset=x-no-such-charset") << text.toUtf8() << text;

    const QByteArray metaPage = "<html><head><meta charset=\"iso-8859-1\"></head><body>"
        + text.toLatin1() + "</body></html>";
    QTest::newRow("charset in the document only")
        << QByteArray("text/html") << metaPage
        << QStringLiteral("<html><head><meta charset=\"iso-8859-1\"></head><body>") + text
            + QStringLiteral("</body></html>");
    QTest::newRow("header wins over the document")
        << QByteArray("text/html; charset=utf-8")
        << QByteArray("<meta charset=\"iso-8859-1\">") + text.toUtf8()
        << QStringLiteral("<meta charset=\"iso-8859-1\">") + text;
    QTest::newRow("empty document") << QByteArray("text/html") << QByteArray() << QString();
}

void tst_InternetTransfer::decodesDeclaredCharset()
{
    QFETCH(QByteArray, contentType);
    QFETCH(QByteArray, body);
    QFETCH(QString, expected);

    static int row = 0;
    const QString path = QStringLiteral("/charset/%1").arg(++row);
    HttpResponse response;
    response.contentType = contentType;
    response.body = body;
    m_server.route(path, response);

    NetworkInternetTransfer transfer;
    QCOMPARE(transfer.OpenURL(m_server.url(path)), expected);
}

void tst_InternetTransfer::followsRedirects_data()
{
    QTest::addColumn<QList<int>>("statuses");

    QTest::newRow("302") << QList<int> { 302 };
    QTest::newRow("301 then 307 then 303") << QList<int> { 301, 307, 303 };
}

void tst_InternetTransfer::followsRedirects()
{
    QFETCH(QList<int>, statuses);

    const QString prefix = QStringLiteral("/hop-%1-").arg(statuses.size());
    for (qsizetype i = 0; i < statuses.size(); ++i) {
        HttpResponse hop;
        hop.status = statuses.at(i);
        hop.location = (prefix + QString::number(i + 1)).toLatin1();
        m_server.route(prefix + QString::number(i), hop);
    }
    m_server.route(prefix + QString::number(statuses.size()), QByteArray("arrived"));

    NetworkInternetTransfer transfer;
    QCOMPARE(transfer.OpenURL(m_server.url(prefix + QLatin1Char('0'))), QStringLiteral("arrived"));
    QCOMPARE(m_server.requestCount(prefix + QString::number(statuses.size())), 1);
}

void tst_InternetTransfer::failsWithError_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<int>("number");

    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 closedPort = closed.serverPort();
    closed.close();

    QTest::newRow("404") << m_server.url(QStringLiteral("/missing")) << ErrorCode::Unexpected;
    QTest::newRow("nothing listening on the port")
        << QStringLiteral("http://127.0.0.1:%1/").arg(closedPort) << ErrorCode::Unexpected;
    QTest::newRow("ftp") << QStringLiteral("ftp://127.0.0.1/file.txt")
                         << ErrorCode::InvalidProcedureCall;
    QTest::newRow("file") << QStringLiteral("file:///etc/hostname")
                          << ErrorCode::InvalidProcedureCall;
    QTest::newRow("local path") << QStringLiteral("/etc/hostname")
                                << ErrorCode::InvalidProcedureCall;
    QTest::newRow("mailto") << QStringLiteral("mailto:someone@example.invalid")
                            << ErrorCode::InvalidProcedureCall;
    QTest::newRow("empty") << QString() << ErrorCode::InvalidProcedureCall;
    QTest::newRow("blank") << QStringLiteral("   ") << ErrorCode::InvalidProcedureCall;
}

void tst_InternetTransfer::failsWithError()
{
    QFETCH(QString, url);
    QFETCH(int, number);

    NetworkInternetTransfer transfer;
    const auto error = failureOf(transfer, url);
    QVERIFY(error);
    QCOMPARE(error->number(), number);
    QVERIFY(!error->description().isEmpty());
}

void tst_InternetTransfer::capsTheSize_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("at the limit") << 100'000 << true;
    QTest::newRow("one byte over") << 100'001 << false;
    QTest::newRow("far over") << 3'000'000 << false;
}

void tst_InternetTransfer::capsTheSize()
{
    QFETCH(int, size);
    QFETCH(bool, accepted);

    const QString path = QStringLiteral("/size-%1").arg(size);
    HttpResponse response;
    response.contentType = "text/plain; charset=us-ascii";
    response.body = QByteArray(size, 'x');
    m_server.route(path, response);

    NetworkInternetTransfer transfer(60s, 100'000);
    if (accepted) {
        QCOMPARE(transfer.OpenURL(m_server.url(path)).size(), size);
    } else {
        const auto error = failureOf(transfer, m_server.url(path));
        QVERIFY(error);
        QCOMPARE(error->number(), ErrorCode::Overflow);
    }
}

void tst_InternetTransfer::timesOutWhenNothingArrives()
{
    HttpResponse stalled;
    stalled.body = "too late";
    stalled.delayMs = 30'000;
    m_server.route(QStringLiteral("/stalled"), stalled);

    NetworkInternetTransfer transfer(300ms);
    const auto error = failureOf(transfer, m_server.url(QStringLiteral("/stalled")));
    QVERIFY(error);
    QCOMPARE(error->number(), ErrorCode::TransferTimedOut);
}

void tst_InternetTransfer::cancelEndsTransferInProgress()
{
    HttpResponse slow;
    slow.body = "too late";
    slow.delayMs = 60'000;
    m_server.route(QStringLiteral("/slow"), slow);
    m_server.route(QStringLiteral("/quick"), QByteArray("quick"));

    NetworkInternetTransfer transfer;
    QTimer::singleShot(200ms, [&transfer] { transfer.Cancel(); });
    const auto error = failureOf(transfer, m_server.url(QStringLiteral("/slow")));
    QVERIFY(error);
    QVERIFY(error->number() != ErrorCode::TransferTimedOut);

    // The transfer is usable again afterwards.
    QCOMPARE(transfer.OpenURL(m_server.url(QStringLiteral("/quick"))), QStringLiteral("quick"));
}

void tst_InternetTransfer::cancelWhenIdleChangesNothing()
{
    m_server.route(QStringLiteral("/idle"), QByteArray("fine"));

    NetworkInternetTransfer transfer;
    transfer.Cancel();
    QCOMPARE(transfer.OpenURL(m_server.url(QStringLiteral("/idle"))), QStringLiteral("fine"));
    transfer.Cancel();
    QCOMPARE(transfer.OpenURL(m_server.url(QStringLiteral("/idle"))), QStringLiteral("fine"));
}

QTEST_GUILESS_MAIN(tst_InternetTransfer)
#include "tst_internettransfer.moc"
