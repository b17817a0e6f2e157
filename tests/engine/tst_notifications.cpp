// A page's notifications reach the desktop's notification service on a private session bus,
// with the page's site as their source, and choosing one tells the page; without a service
// they are dropped quietly. The test is the service.

#include "fakeservices.h"
#include "hostedcontrol.h"
#include "httpserver.h"
#include "privatebus.h"
#include "testsupport.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

using namespace Qt::StringLiterals;

// What the desktop's notification service was told.
class NotificationService final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Shown
    {
        QString source, summary, body;
        QStringList actions;
    };
    QList<Shown> shown;

public Q_SLOTS:
    uint Notify(const QString &source, uint, const QString &, const QString &summary,
                const QString &body, const QStringList &actions, const QVariantMap &, int)
    {
        shown.append({ source, summary, body, actions });
        return uint(shown.size());
    }
    void CloseNotification(uint) { }
};

class tst_Notifications : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void reachTheDesktopAndTellThePageWhenChosen();
    void droppedWithoutAService();

private:
    HttpServer m_server;
    NotificationService m_service;
    std::shared_ptr<ScriptedUserQuestions> m_questions = std::make_shared<ScriptedUserQuestions>();
};

void tst_Notifications::initTestCase()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    QVERIFY2(bus.isConnected(), "no private session bus");
    QVERIFY(bus.registerObject(u"/org/freedesktop/Notifications"_s, &m_service,
                               QDBusConnection::ExportAllSlots));
    QVERIFY(m_server.listen());
    m_questions->allow = true;
    // The page notifies once allowed; its title follows what the notification tells it.
    m_server.route(u"/notify.html"_s,
                   htmlPage("Ready",
                            "<script>Notification.requestPermission().then(() => {"
                            "  const n = new Notification('Build done', "
                            "{ body: 'All <b>green</b>' });"
                            "  n.onshow = () => { document.title = 'shown'; };"
                            "  n.onclick = () => { document.title = 'chosen'; };"
                            "});</script>"));
}

void tst_Notifications::reachTheDesktopAndTellThePageWhenChosen()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    QVERIFY(bus.registerService(u"org.freedesktop.Notifications"_s));
    QWidget host;
    WebEngineBrowserControl *control = showInHost(host, m_questions);
    QVERIFY(loadAndWait(*control, m_server.url(u"/notify.html"_s)));
    QTRY_COMPARE_WITH_TIMEOUT(control->LocationName(), u"shown"_s, 20'000);
    QCOMPARE(m_service.shown.size(), 1);
    const NotificationService::Shown &shown = m_service.shown.first();
    QCOMPARE(shown.source, u"127.0.0.1"_s);
    QCOMPARE(shown.summary, u"Build done"_s);
    QCOMPARE(shown.body, u"All &lt;b&gt;green&lt;/b&gt;"_s); // the page's text, not markup
    QVERIFY(shown.actions.contains(u"default"_s));

    QDBusMessage chosen
        = QDBusMessage::createSignal(u"/org/freedesktop/Notifications"_s,
                                     u"org.freedesktop.Notifications"_s, u"ActionInvoked"_s);
    chosen << uint(1) << u"default"_s;
    QVERIFY(bus.send(chosen));
    QTRY_COMPARE_WITH_TIMEOUT(control->LocationName(), u"chosen"_s, 20'000);
    QVERIFY(bus.unregisterService(u"org.freedesktop.Notifications"_s));
}

void tst_Notifications::droppedWithoutAService()
{
    m_service.shown.clear();
    QWidget host;
    WebEngineBrowserControl *control = showInHost(host, m_questions);
    QVERIFY(loadAndWait(*control, m_server.url(u"/notify.html"_s)));
    // Long enough for the bus to have answered that nobody serves the name.
    QTest::qWait(1500);
    QCOMPARE(control->LocationName(), u"Ready"_s);
    QVERIFY(m_service.shown.isEmpty());
    QVERIFY(loadAndWait(*control, m_server.url(u"/notify.html"_s)));
}

static PrivateBus privateBus;
KESTRAV_TEST_MAIN(tst_Notifications)
#include "tst_notifications.moc"
