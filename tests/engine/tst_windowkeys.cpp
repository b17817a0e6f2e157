// The window's keys after every kind of navigation, with the real engine: the page may move
// to a process of its own, show a PDF or end, and the keys must still reach the window.

#include "../window/windowfixture.h"
#include "httpserver.h"
#include "platform/desktop/webengine/webenginebrowsercontrol.h"

#include <csignal>
#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {
constexpr int LoadTimeoutMs = 60'000;

QByteArray pdfDocument()
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    QPainter painter(&writer);
    painter.drawText(QPointF(100, 100), QStringLiteral("A PDF document"));
    painter.end();
    return buffer.data();
}

} // namespace

class tst_WindowKeys : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void keysWorkAfterNavigation_data();
    void keysWorkAfterNavigation();

private:
    frmWebBrowser &window() { return m_fixture->window(); }
    QWebEngineView *view() { return qobject_cast<QWebEngineView *>(m_engine->widget()); }
    void press(const QKeySequence &keys);
    void load(const QString &address, const QString &title);
    // The page's own surface takes the keyboard, as a click into the page gives it.
    void focusPage();

    HttpServer m_server;
    std::unique_ptr<WindowFixture> m_fixture;
    QPointer<WebEngineBrowserControl> m_engine;
};

void tst_WindowKeys::initTestCase()
{
    QVERIFY(m_server.listen());
    m_server.route("/one.html", htmlPage("Page one"));
    m_server.route("/two.html", htmlPage("Page two"));
    HttpResponse pdf;
    pdf.contentType = "application/pdf";
    pdf.body = pdfDocument();
    m_server.route("/doc.pdf", pdf);
    // A page that takes the keyboard for a field of its own as it loads.
    m_server.route("/field.html",
                   htmlPage("Field", "<input id=f autofocus><script>f.focus()</script>"));

    m_fixture = std::make_unique<WindowFixture>();
    m_fixture->test.platform.createWebBrowserControl = [this](QWidget *parent) {
        auto *control = new WebEngineBrowserControl(parent, m_fixture->test.questions);
        m_engine = control;
        return control;
    };
    m_fixture->start();
    QTRY_COMPARE_WITH_TIMEOUT(window().windowTitle(), QStringLiteral("Kestrav start page"),
                              LoadTimeoutMs);
}

void tst_WindowKeys::cleanupTestCase()
{
    m_fixture.reset();
}

void tst_WindowKeys::press(const QKeySequence &keys)
{
    const QKeyCombination combination = keys[0];
    // Through the window system's queue, as a key the user presses: the focus widget and the
    // window's shortcuts see it in their usual order.
    QTest::keyClick(m_fixture->frame->windowHandle(), combination.key(),
                    combination.keyboardModifiers());
}

void tst_WindowKeys::load(const QString &address, const QString &title)
{
    m_engine->Navigate(address);
    QTRY_COMPARE_WITH_TIMEOUT(window().windowTitle(), title, LoadTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(!m_engine->Busy(), LoadTimeoutMs);
}

void tst_WindowKeys::focusPage()
{
    QTRY_VERIFY_WITH_TIMEOUT(view()->focusProxy(), LoadTimeoutMs);
    QTest::mouseClick(view()->focusProxy(), Qt::LeftButton, {}, QPoint(200, 200));
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), view()->focusProxy(), LoadTimeoutMs);
}

void tst_WindowKeys::keysWorkAfterNavigation_data()
{
    QTest::addColumn<QString>("navigation");
    QTest::addColumn<QKeySequence>("keys");
    const QStringList navigations { "typed, same site",
                                    "typed, another host",
                                    "link, another host",
                                    "Alt+Home",
                                    "Home button",
                                    "Alt+Left across hosts",
                                    "Alt+Right across hosts",
                                    "a PDF",
                                    "a page that takes the focus",
                                    "a crash notice" };
    const QStringList keys { "Ctrl+L", "Alt+D", "Ctrl+F", "Ctrl+-" };
    for (const QString &navigation : navigations) {
        for (const QString &key : keys)
            QTest::addRow("%s, then %s", qPrintable(navigation), qPrintable(key))
                << navigation << QKeySequence(key);
    }
}

void tst_WindowKeys::keysWorkAfterNavigation()
{
    QFETCH(QString, navigation);
    QFETCH(QKeySequence, keys);
    QApplication::setActiveWindow(m_fixture->frame.get());
    QTRY_VERIFY(m_fixture->frame->isActiveWindow());
    const QString here = m_server.url("/one.html");
    const QString elsewhere = QString(m_server.url("/two.html")).replace("127.0.0.1", "localhost");
    load(here, QStringLiteral("Page one"));

    if (navigation.endsWith("across hosts")) {
        load(elsewhere, QStringLiteral("Page two"));
        if (navigation.startsWith("Alt+Right")) {
            m_engine->GoBack();
            QTRY_COMPARE_WITH_TIMEOUT(window().windowTitle(), QStringLiteral("Page one"),
                                      LoadTimeoutMs);
            QTRY_VERIFY_WITH_TIMEOUT(!m_engine->Busy(), LoadTimeoutMs);
        }
    }
    focusPage();

    const QString before = m_engine->LocationURL();
    if (navigation == "typed, same site") {
        m_fixture->typeAndEnter(m_server.url("/two.html"));
    } else if (navigation == "typed, another host") {
        m_fixture->typeAndEnter(elsewhere);
    } else if (navigation == "link, another host") {
        view()->page()->runJavaScript(QStringLiteral("location.href = '%1'").arg(elsewhere));
    } else if (navigation == "Alt+Home") {
        press(QKeySequence("Alt+Home"));
    } else if (navigation == "Home button") {
        m_fixture->clickButton("tbrHome");
    } else if (navigation == "Alt+Left across hosts") {
        press(QKeySequence("Alt+Left"));
    } else if (navigation == "Alt+Right across hosts") {
        press(QKeySequence("Alt+Right"));
    } else if (navigation == "a PDF") {
        m_fixture->typeAndEnter(
            QString(m_server.url("/doc.pdf")).replace("127.0.0.1", "localhost"));
    } else if (navigation == "a page that takes the focus") {
        m_fixture->typeAndEnter(
            QString(m_server.url("/field.html")).replace("127.0.0.1", "localhost"));
    } else if (navigation == "a crash notice") {
        ::kill(pid_t(view()->page()->renderProcessPid()), SIGKILL);
        QTRY_VERIFY_WITH_TIMEOUT(view()->findChild<QWidget *>("pageTroubleNotice")->isVisible(),
                                 LoadTimeoutMs);
    }
    if (navigation != "a crash notice") {
        QTRY_VERIFY_WITH_TIMEOUT(m_engine->LocationURL() != before, LoadTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(!m_engine->Busy(), LoadTimeoutMs);
    }
    // A user looks at the page before pressing a key; by then the engine has also put away
    // the surface of the page before, which is when the keyboard used to go nowhere.
    QTest::qWait(300);

    const qreal zoom = m_engine->zoom().ZoomFactor();
    press(keys);
    if (keys == QKeySequence("Ctrl+-")) {
        QTRY_VERIFY(m_engine->zoom().ZoomFactor() < zoom);
        m_fixture->chooseItem("actZoomReset");
    } else if (keys == QKeySequence("Ctrl+F")) {
        auto *field = window().findChild<QLineEdit *>("findText");
        QTRY_VERIFY(field->isVisible());
        QTRY_COMPARE(QApplication::focusWidget(), field);
        press(QKeySequence("Esc"));
        QTRY_VERIFY(!field->isVisible());
    } else {
        QTRY_VERIFY(m_fixture->cboAddress()->isAncestorOf(QApplication::focusWidget())
                    || QApplication::focusWidget() == m_fixture->cboAddress());
    }
    QCOMPARE(m_fixture->test.messages->prompts, QStringList());
}

KESTRAV_TEST_MAIN(tst_WindowKeys)
#include "tst_windowkeys.moc"
