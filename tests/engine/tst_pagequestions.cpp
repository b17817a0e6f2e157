// What the real engine puts to the user: a site with a certificate nobody vouches for, and
// pages that ask for devices and desktop features. The questions are answered by a double.

#include "fakeservices.h"
#include "hostedcontrol.h"
#include "httpserver.h"
#include "platform/desktop/webengine/webenginebrowsercontrol.h"
#include "sitedata/rememberedanswers.h"
#include "testsupport.h"

#include <memory>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

namespace {

constexpr int LoadTimeoutMs = 60'000;

// A page whose title becomes what the engine answered to its request.
QByteArray asking(const QByteArray &request)
{
    return htmlPage("asking",
                    "<script>function answer(a) { document.title = a; }\n" + request + "</script>");
}

// A camera and a microphone made up by the engine: without devices it would not even ask.
const bool fakeMediaDevices = [] {
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
            qgetenv("QTWEBENGINE_CHROMIUM_FLAGS") + " --use-fake-device-for-media-stream");
    return true;
}();

} // namespace

class tst_PageQuestions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void untrustedCertificate_data();
    void untrustedCertificate();
    void permissionRequest_data();
    void permissionRequest();
    void fullScreenAndBack();

private:
    bool load(const QString &url);

    HttpServer m_plain;
    HttpServer m_secure;
    std::unique_ptr<QWidget> m_host;
    WebEngineBrowserControl *m_control = nullptr;
    std::shared_ptr<ScriptedUserQuestions> m_questions;
    QStringList m_statusTexts;
};

void tst_PageQuestions::initTestCase()
{
    QVERIFY(m_plain.listen());
    QVERIFY(m_secure.listenSecure());
    m_secure.route(QStringLiteral("/secret.html"), htmlPage("Secret", "<p>behind the lock</p>"));
    m_secure.route(QStringLiteral("/other.html"), htmlPage("Other", "<p>same site</p>"));
    m_plain.route(QStringLiteral("/plain.html"), htmlPage("Plain", "<p>open</p>"));
}

void tst_PageQuestions::init()
{
    m_questions = std::make_shared<ScriptedUserQuestions>();
    m_host = std::make_unique<QWidget>();
    // As in the program: the answers that hold for a site are kept for the run.
    m_control = showInHost(*m_host, std::make_shared<RememberedAnswers>(m_questions));
    m_statusTexts.clear();
    connect(m_control, &WebBrowserControl::StatusTextChange, this,
            [this](const QString &text) { m_statusTexts.append(text); });
}

void tst_PageQuestions::cleanup()
{
    m_host.reset();
    m_control = nullptr;
}

bool tst_PageQuestions::load(const QString &url)
{
    return loadAndWait(*m_control, url);
}

void tst_PageQuestions::untrustedCertificate_data()
{
    QTest::addColumn<bool>("proceed");
    QTest::newRow("shown anyway") << true;
    QTest::newRow("gone back") << false;
}

void tst_PageQuestions::untrustedCertificate()
{
    QFETCH(bool, proceed);

    QVERIFY(load(m_plain.url(QStringLiteral("/plain.html"))));
    const int requests = m_secure.requestCount(QStringLiteral("/secret.html"));
    m_questions->proceed = proceed;
    QVERIFY(load(m_secure.url(QStringLiteral("/secret.html"))));

    QCOMPARE(m_questions->asked.size(), 1);
    QVERIFY2(m_questions->asked.first().startsWith(QStringLiteral("certificate 127.0.0.1: ")),
             qPrintable(m_questions->asked.first()));
    QVERIFY2(m_questions->asked.first().contains(QStringLiteral("authority")),
             qPrintable(m_questions->asked.first()));
    if (proceed) {
        QCOMPARE(m_control->LocationName(), QStringLiteral("Secret"));
        QCOMPARE(m_secure.requestCount(QStringLiteral("/secret.html")), requests + 1);
        QCOMPARE(m_control->document().DocumentBodyInnerHTML(),
                 QStringLiteral("<p>behind the lock</p>"));
        // Once trusted, the site is not asked about again in this run.
        QVERIFY(load(m_secure.url(QStringLiteral("/other.html"))));
        QCOMPARE(m_control->LocationName(), QStringLiteral("Other"));
        QCOMPARE(m_questions->asked.size(), 1);
    } else {
        QVERIFY(!m_control->document().DocumentBodyInnerHTML().contains(
            QStringLiteral("behind the lock")));
        QCOMPARE(m_secure.requestCount(QStringLiteral("/secret.html")), requests);
        QVERIFY2(m_statusTexts.last().startsWith(QStringLiteral("127.0.0.1 was not shown: ")),
                 qPrintable(m_statusTexts.join(QLatin1Char('\n'))));
    }
}

void tst_PageQuestions::permissionRequest_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("permission");
    QTest::addColumn<bool>("allow");
    QTest::addColumn<QString>("answer");

    using Permission = UserQuestions::Permission;
    const QByteArray notification = "Notification.requestPermission().then(answer);";
    QTest::newRow("notifications allowed")
        << notification << int(Permission::Notifications) << true << "granted";
    QTest::newRow("notifications denied")
        << notification << int(Permission::Notifications) << false << "denied";
    auto media = [](const char *constraints) {
        return "navigator.mediaDevices.getUserMedia(" + QByteArray(constraints)
            + ").then(function () { answer('granted'); }, function (e) { answer(e.name); });";
    };
    QTest::newRow("microphone allowed")
        << media("{audio: true}") << int(Permission::Microphone) << true << "granted";
    QTest::newRow("microphone denied")
        << media("{audio: true}") << int(Permission::Microphone) << false << "NotAllowedError";
    QTest::newRow("camera denied")
        << media("{video: true}") << int(Permission::Camera) << false << "NotAllowedError";
    QTest::newRow("camera and microphone denied")
        << media("{audio: true, video: true}") << int(Permission::CameraAndMicrophone) << false
        << "NotAllowedError";
    const QByteArray location
        = "navigator.geolocation.getCurrentPosition("
          "function () { answer('granted'); },"
          "function (e) { answer(e.code == e.PERMISSION_DENIED ? 'denied' : 'granted'); });";
    // Allowed, on a machine where nothing can tell the position: the page is answered at once
    // rather than left waiting.
    QTest::newRow("location allowed, not known here")
        << location << int(Permission::Location) << true << "denied";
    QTest::newRow("location denied") << location << int(Permission::Location) << false << "denied";
}

void tst_PageQuestions::permissionRequest()
{
    QFETCH(QByteArray, request);
    QFETCH(int, permission);
    QFETCH(bool, allow);
    QFETCH(QString, answer);

    const QString path = QStringLiteral("/ask-%1.html")
                             .arg(QTest::currentDataTag())
                             .replace(QLatin1Char(' '), QLatin1Char('-'));
    m_plain.route(path, asking(request));
    m_questions->allow = allow;
    QVERIFY(load(m_plain.url(path)));
    QTRY_COMPARE_WITH_TIMEOUT(m_control->LocationName(), answer, LoadTimeoutMs);
    const QStringList asked = { QStringLiteral("permission 127.0.0.1 %1").arg(permission) };
    QCOMPARE(m_questions->asked, asked);

    // The answer holds for the site: asked again, the page gets it without a question.
    QVERIFY(load(m_plain.url(path)));
    QTRY_COMPARE_WITH_TIMEOUT(m_control->LocationName(), answer, LoadTimeoutMs);
    QCOMPARE(m_questions->asked, asked);
}

void tst_PageQuestions::fullScreenAndBack()
{
    // A button over the top-left corner; the page's title tells whether it is on the screen.
    m_plain.route(
        QStringLiteral("/video.html"),
        htmlPage("normal",
                 "<button style=\"position:absolute;left:0;top:0;width:300px;"
                 "height:100px\" onclick=\"document.documentElement.requestFullscreen()\">"
                 "full</button><script>document.onfullscreenchange = function () {"
                 " document.title = document.fullscreenElement ? 'full' : 'normal'; };"
                 "</script>"));
    QVERIFY(load(m_plain.url(QStringLiteral("/video.html"))));
    const QRect viewGeometry = m_control->widget()->geometry();
    const QRect windowGeometry = m_host->geometry();

    auto fullScreenWindow = [] {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window->objectName() == QLatin1String("FullScreenWindow") && window->isVisible())
                return window;
        }
        return static_cast<QWidget *>(nullptr);
    };
    // Only a user's click may take a page to full screen.
    inputUntil(
        *m_control,
        [](QWidget *surface, int) {
            QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(10, 10));
        },
        [&] { return fullScreenWindow() != nullptr; });
    QWidget *full = fullScreenWindow();
    QVERIFY(full);
    QVERIFY(full->isFullScreen());
    QTRY_COMPARE_WITH_TIMEOUT(m_control->LocationName(), QStringLiteral("full"), LoadTimeoutMs);

    QTest::keyClick(full, Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!fullScreenWindow(), LoadTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(m_control->LocationName(), QStringLiteral("normal"), LoadTimeoutMs);
    QCOMPARE(m_control->widget()->geometry(), viewGeometry);
    QCOMPARE(m_host->geometry(), windowGeometry);
    QVERIFY(m_control->widget()->isVisible());
    // The page is back in the window's view, and still answers there.
    QVERIFY(m_control->document().DocumentBodyInnerHTML().contains(QStringLiteral("<button")));
}

KESTRAV_TEST_MAIN(tst_PageQuestions)
#include "tst_pagequestions.moc"
