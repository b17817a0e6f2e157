// The program as a user starts it, as a child process (this binary, started with --child), so
// that a signal reaches it alone: the session's end signals end it as its Quit does (what the
// engine holds, such as a cookie set a moment before, is written and found after a restart),
// and it starts and browses with its folders on a full disk.

#include "app/frmframe.h"
#include "app/kestravmain.h"
#include "httpserver.h"
#include "testsupport.h"
#include "ui/frmwebbrowser.h"

#include <csignal>
#include <cstdio>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

constexpr int WaitMs = 60'000;

// In the child: once the frame has loaded, types the address of KESTRAV_CHILD_URL and prints
// every caption of the browser window.
void driveChild()
{
    QTimer::singleShot(0, [] {
        frmWebBrowser *window = nullptr;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (const auto *frame = qobject_cast<frmFrame *>(widget))
                window = frame->webBrowser();
        }
        QObject::connect(window, &QWidget::windowTitleChanged, [](const QString &title) {
            std::printf("caption %s\n", qPrintable(title));
            std::fflush(stdout);
        });
        auto *address = window->findChild<QComboBox *>(u"cboAddress"_s);
        address->setEditText(qEnvironmentVariable("KESTRAV_CHILD_URL"));
        QTest::keyClick(address->lineEdit(), Qt::Key_Return);
    });
}

} // namespace

class tst_EndSignals : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void signalKeepsWhatThePageSet_data();
    void signalKeepsWhatThePageSet();
    void startsAndBrowsesOnAFullDisk();

private:
    // Starts the program on the page, waits for the caption to start with captionStart, and
    // returns that caption; the program is left running. home holds every per-user folder.
    QString startOn(QProcess &program, const QString &url, const QString &captionStart,
                    const QString &home = QString());

    QTemporaryDir m_home;
};

QString tst_EndSignals::startOn(QProcess &program, const QString &url, const QString &captionStart,
                                const QString &home)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"HOME"_s, home.isEmpty() ? m_home.path() : home);
    for (const char *name : { "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME" })
        environment.remove(QString::fromLatin1(name));
    environment.insert(u"KESTRAV_CHILD_URL"_s, url);
    program.setProcessEnvironment(environment);
    program.start(QCoreApplication::applicationFilePath(), { u"--child"_s });
    QString caption;
    const bool ended = QTest::qWaitFor(
        [&] {
            while (program.canReadLine()) {
                const QString line = QString::fromUtf8(program.readLine()).trimmed();
                if (line.startsWith("caption "_L1 + captionStart))
                    caption = line.mid(8);
            }
            return !caption.isEmpty() || program.state() == QProcess::NotRunning;
        },
        WaitMs);
    return ended ? caption : QString();
}

void tst_EndSignals::signalKeepsWhatThePageSet_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGHUP") << SIGHUP;
}

void tst_EndSignals::signalKeepsWhatThePageSet()
{
    QFETCH(int, signalNumber);
    QVERIFY(m_home.isValid());
    HttpServer server;
    QVERIFY(server.listen());
    const QByteArray name = "kept" + QByteArray::number(signalNumber);
    HttpResponse setter;
    setter.headers = { "Set-Cookie: " + name + "=yes; Max-Age=86400; Path=/" };
    setter.body = "<html><head><title>set</title></head><body>set</body></html>";
    server.route(u"/set.html"_s, setter);
    server.route(u"/show.html"_s,
                 QByteArray("<html><head><title>none</title><script>document.title = 'cookies "
                            "' + document.cookie;</script></head><body>shown</body></html>"));

    QProcess first;
    QCOMPARE(startOn(first, server.url(u"/set.html"_s), u"set"_s), u"set"_s);
    ::kill(pid_t(first.processId()), signalNumber);
    QVERIFY(first.waitForFinished(WaitMs));
    QCOMPARE(first.exitStatus(), QProcess::NormalExit);
    QCOMPARE(first.exitCode(), 0);

    QProcess second;
    const QString shown = startOn(second, server.url(u"/show.html"_s), u"cookies"_s);
    second.terminate();
    QVERIFY(second.waitForFinished(WaitMs));
    QVERIFY2(shown.contains(QString::fromLatin1(name + "=yes")), qPrintable(shown));
}

void tst_EndSignals::startsAndBrowsesOnAFullDisk()
{
    // The data, configuration and cache folders all on one small disk with almost no room:
    // caches the engine or the graphics driver map into memory could not be backed there.
    SmallDisk disk(3 * 1024 * 1024);
    KESTRAV_REQUIRE_DISK(disk);
    QVERIFY(disk.fill(36 * 1024));
    HttpServer server;
    QVERIFY(server.listen());
    server.route(u"/page.html"_s, htmlPage("browsed"));

    QProcess program;
    QCOMPARE(startOn(program, server.url(u"/page.html"_s), u"browsed"_s, disk.path()),
             u"browsed"_s);
    program.terminate();
    QVERIFY(program.waitForFinished(WaitMs));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

int main(int argc, char *argv[])
{
    if (argc > 1 && qstrcmp(argv[1], "--child") == 0)
        return kestravMain(1, argv, [](Platform &) { driveChild(); });
    QCoreApplication application(argc, argv);
    tst_EndSignals test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_endsignals.moc"
