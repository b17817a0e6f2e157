// Fetch of a linked document by the browser window, with the real internet transfer against
// a loopback server.

#include "../window/windowfixture.h"
#include "httpserver.h"
#include "networkinternettransfer.h"
#include "richtextarea.h"

#include <QComboBox>
#include <QLabel>
#include <QTcpServer>

using namespace Qt::StringLiterals;

class tst_LinkFetch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void fetchShowsWhatCameOrWhyNothing_data();
    void fetchShowsWhatCameOrWhyNothing();

private:
    HttpServer m_server;
};

void tst_LinkFetch::initTestCase()
{
    QVERIFY(m_server.listen());
    HttpResponse missing;
    missing.status = 404;
    missing.body = "<html><body>No such page</body></html>";
    m_server.route(u"/missing"_s, missing);
    m_server.route(u"/page"_s, QByteArray("<html><head><title>t</title></head></html>"));
}

void tst_LinkFetch::fetchShowsWhatCameOrWhyNothing_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("status");

    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
    const QString refused = u"http://127.0.0.1:%1/x"_s.arg(closed.serverPort());
    closed.close();

    QTest::newRow("page") << m_server.url(u"/page"_s)
                          << u"<html><head><title>t</title></head></html>"_s << QString();
    QTest::newRow("error page") << m_server.url(u"/missing"_s)
                                << u"<html><body>No such page</body></html>"_s << QString();
    QTest::newRow("nobody listening")
        << refused << QString() << u"Could not fetch %1: connection refused"_s.arg(refused);
}

void tst_LinkFetch::fetchShowsWhatCameOrWhyNothing()
{
    QFETCH(QString, address);
    QFETCH(QString, text);
    QFETCH(QString, status);

    WindowFixture fixture;
    fixture.test.platform.createInternetTransfer
        = [] { return std::make_unique<NetworkInternetTransfer>(); };
    fixture.start();
    fixture.window().cboLinksList->setEditText(address);
    fixture.window().menuItem(u"mnuLinksDisplayLinkHTMLDoc"_s)->trigger();

    QCOMPARE(fixture.window().Text1->Text(), text);
    QCOMPARE(fixture.frame->Panel1->text(), status);
    QCOMPARE(fixture.test.messages->prompts, QStringList());
}

KESTRAV_TEST_MAIN(tst_LinkFetch)
#include "tst_linkfetch.moc"
