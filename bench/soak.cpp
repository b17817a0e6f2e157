// A long run of the real window on the real engine: 1,000 navigations over loopback pages of
// every kind the user meets (plain pages, redirects, missing pages, a 5 MB page, a page whose
// process is killed, a page that hangs and is stopped, a download that is declined), with the
// link list and the source view every 20th page. It prints the whole program's memory at rest
// after 100 and after 1,000 navigations, and checks that nothing broke and that the favorites file
// and the settings store are whole at the end. Before it, baresoak (beside this program), a
// bare web view, goes through the same navigations on the same server, and its growth is
// printed beside Kestrav's as the floor. With --busy, the machine is kept busy all along, by
// one busy loop per core, as a user's machine rarely rests.
//
//   soak [--busy]

#include "app/processmemory.h"
#include "benchfigures.h"
#include "benchpages.h"
#include "history/recenturls.h"
#include "httpserver.h"
#include "platform/desktop/settings/sqlitesettingsstore.h"
#include "platform/desktop/webengine/webenginebrowsercontrol.h"
#include "programmemory.h"
#include "soakplan.h"
#include "windowfixture.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <optional>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QWebEnginePage>
#include <QWebEngineView>

using namespace Qt::StringLiterals;

namespace {

// A reading waits out more than one of the window's periods of giving freed pages back.
constexpr std::chrono::milliseconds SoakRest = FreedPagesInterval + std::chrono::seconds(1);

struct Growth
{
    MemoryReading first; // after the first reading
    MemoryReading last; // after the last navigation
    double percent() const { return (last.all - first.all) / first.all * 100; }
};

// One busy loop per core, each a process of its own apart from this program's (so that its
// memory is not read as the program's), from construction to destruction.
class BusyMachine
{
public:
    BusyMachine()
    {
        for (int core = 0; core < QThread::idealThreadCount(); ++core) {
            qint64 pid = 0;
            if (QProcess::startDetached(u"/bin/sh"_s, { u"-c"_s, u"while :; do :; done"_s }, {},
                                        &pid))
                m_loops.append(pid);
        }
    }
    ~BusyMachine()
    {
        for (const qint64 pid : std::as_const(m_loops))
            ::kill(pid_t(pid), SIGKILL);
    }
    BusyMachine(const BusyMachine &) = delete;
    BusyMachine &operator=(const BusyMachine &) = delete;

    // Each loop still runs.
    bool running() const
    {
        return m_loops.size() == QThread::idealThreadCount()
            && std::all_of(m_loops.cbegin(), m_loops.cend(),
                           [](qint64 pid) { return ::kill(pid_t(pid), 0) == 0; });
    }

private:
    QList<qint64> m_loops;
};

// The bare view's run on the server, which this program's event loop serves meanwhile.
QString runFloor(const HttpServer &server, Growth &floor)
{
    QProcess bare;
    bare.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    bare.start(QCoreApplication::applicationDirPath() + u"/baresoak"_s,
               { server.url(u""_s), QString::number(SoakRest.count()) });
    if (!waitFor([&] { return bare.state() == QProcess::NotRunning; }, 30 * 60'000)) {
        bare.kill();
        bare.waitForFinished();
        return u"the bare view's run did not end"_s;
    }
    const QByteArray output = bare.readAllStandardOutput();
    for (const QByteArray &line : output.split('\n')) {
        const QList<QByteArray> words = line.split(' ');
        if (words.value(0) != "memory")
            continue;
        const MemoryReading reading { words.value(2).toDouble(), words.value(3).toDouble() };
        if (words.value(1).toInt() == SoakFirstReading)
            floor.first = reading;
        else if (words.value(1).toInt() == SoakNavigations)
            floor.last = reading;
    }
    if (bare.exitCode() != 0 || !output.contains("done\n") || floor.first.main <= 0
        || floor.last.main <= 0)
        return u"the bare view's run: %1"_s.arg(QString::fromUtf8(output.trimmed().right(200)));
    return QString();
}

} // namespace

int main(int argc, char *argv[])
{
    // The process keeps its memory as the program's does.
    returnLargeBlocksWhenFreed();
    HermeticHome home;
    QApplication app(argc, argv);
    returnFreedPagesEvery(FreedPagesInterval, &app);
    QTextStream out(stdout);
    const auto fail = [&](const QString &what) {
        out << "FAILED: " << what << Qt::endl;
        return EXIT_FAILURE;
    };
    std::optional<BusyMachine> busy;
    if (app.arguments().contains(u"--busy"_s)) {
        busy.emplace();
        if (!waitFor([&] { return busy->running(); }))
            return fail(u"the busy loops did not start"_s);
    }

    HttpServer server;
    if (!server.listen())
        return fail(u"no loopback port"_s);
    QByteArray links;
    for (int i = 0; i < 30; ++i)
        links += "<a href=\"/page/" + QByteArray::number(i) + "\">page " + QByteArray::number(i)
            + "</a> ";
    for (int i = 0; i < 50; ++i)
        server.route(u"/page/%1"_s.arg(i),
                     page("Page " + QByteArray::number(i),
                          "<h1>Page</h1><p>" + QByteArray(2000, 'w') + "</p>" + links));
    HttpResponse redirect;
    redirect.status = 302;
    redirect.location = "/page/7";
    server.route(u"/redirect"_s, redirect);
    QByteArray large;
    while (large.size() < 5 * 1024 * 1024)
        large += "<p>" + QByteArray(180, 'x') + "</p>\n";
    server.route(u"/large.html"_s, page("Large", large + links));
    server.route(u"/hang.html"_s,
                 page("Hangs", "<script>setTimeout(() => { for (;;) {} }, 300)</script>"));
    server.route(u"/file.bin"_s, HttpResponse::attachment("file.bin", QByteArray(4096, 'b')));

    QElapsedTimer floorClock;
    floorClock.start();
    Growth floor;
    if (const QString trouble = runFloor(server, floor); !trouble.isEmpty())
        return fail(trouble);
    const qint64 floorSeconds = floorClock.elapsed() / 1000;

    WindowFixture fixture;
    const QString storePath = QDir(fixture.sandbox.programFolder()).filePath(u"settings.sqlite"_s);
    auto store = std::make_shared<SqliteSettingsStore>(storePath);
    fixture.test.platform.settings = store;
    fixture.test.questions->stopPage = true; // a hung page is stopped
    fixture.test.questions->savePath = QString(); // a download is declined
    WebEngineBrowserControl *engine = nullptr;
    fixture.test.platform.createWebBrowserControl = [&](QWidget *parent) {
        engine = new WebEngineBrowserControl(parent, fixture.test.questions);
        return engine;
    };
    const QByteArray favorites = "http://a.test/\r\nhttp://b.test/\r\n";
    if (!writeAll(fixture.favoritesPath(), favorites))
        return fail(u"no favorites file"_s);
    fixture.start();
    frmWebBrowser &window = fixture.window();
    int loadsEnded = 0;
    QObject::connect(engine, &WebBrowserControl::DownloadComplete, [&] { ++loadsEnded; });
    QWidget *notice = engine->widget()->findChild<QWidget *>(u"pageTroubleNotice"_s);
    const auto pageProcess = [&] {
        return qobject_cast<QWebEngineView *>(engine->widget())->page()->renderProcessPid();
    };
    // Through the address box, as the user goes to a page.
    const auto go = [&](const QString &path) {
        const int before = loadsEnded;
        fixture.cboAddress()->setEditText(server.url(path));
        window.cboAddress_Click();
        return waitFor([&] { return loadsEnded > before; });
    };

    QElapsedTimer clock;
    clock.start();
    Growth memory;
    int kills = 0;
    int hangsStopped = 0;
    for (int n = 1; n <= SoakNavigations; ++n) {
        const QString path = soakPath(n);

        if (path == u"/file.bin") {
            // A download asks where to save; the user declines, and the page stays.
            const qsizetype asked = fixture.test.questions->asked.size();
            engine->Navigate(server.url(path));
            if (!waitFor([&] { return fixture.test.questions->asked.size() > asked; }))
                return fail(u"navigation %1: the download asked nothing"_s.arg(n));
        } else if (!go(path)) {
            return fail(u"navigation %1 (%2) did not end"_s.arg(n).arg(path));
        }

        if (path == u"/hang.html") {
            const int asked = int(fixture.test.questions->asked.size());
            if (!waitFor([&] { return !notice->isHidden(); }))
                return fail(u"navigation %1: the hung page was not stopped"_s.arg(n));
            hangsStopped += fixture.test.questions->asked.size() > asked ? 1 : 0;
        } else if (soakKillsPage(n)) {
            ::kill(pid_t(pageProcess()), SIGKILL);
            if (!waitFor([&] { return !notice->isHidden(); }))
                return fail(u"navigation %1: the killed page shows no notice"_s.arg(n));
            ++kills;
        }
        if (n % 20 == 0 && notice->isHidden()) {
            window.menuItem(u"mnuLinksListLinks"_s)->trigger();
            window.menuItem(u"mnuLinksDisplayCurrHTMLDoc"_s)->trigger();
            window.menuItem(u"mnuLinksRestoreWebBrowser"_s)->trigger();
        }
        if (n == SoakFirstReading)
            memory.first = settledProgramMemory(SoakRest);
    }
    memory.last = settledProgramMemory(SoakRest);

    if (!fixture.frame->webBrowser())
        return fail(u"the window is gone"_s);
    if (fixture.test.messages->prompts.size() > 0)
        return fail(u"messages were shown: %1"_s.arg(fixture.test.messages->prompts.join(u" | ")));
    if (readAll(fixture.favoritesPath()) != favorites)
        return fail(u"the favorites file changed"_s);
    const QStringList recent = RecentUrls::read(SqliteSettingsStore(storePath));
    for (const QString &address : recent) {
        if (!address.startsWith(server.url(u"/"_s)))
            return fail(u"the settings store holds %1"_s.arg(address));
    }

    if (busy && !busy->running())
        return fail(u"a busy loop ended early"_s);
    out << (busy ? "with one busy loop per core: " : "on a resting machine: ") << SoakNavigations
        << " navigations in " << clock.elapsed() / 1000 << " s (the bare view's in " << floorSeconds
        << " s), each run with two rests of " << SoakRest.count() / 1000 << " s for its readings; "
        << kills << " killed pages and " << hangsStopped
        << " hung pages stopped, each with its notice; " << recent.size()
        << " recent addresses read back whole" << Qt::endl;
    const auto figures = [&](const char *who, const Growth &growth) {
        const auto mib = [](double value) { return QString::number(value, 'f', 1); };
        const auto change = [&](double value) { return (value < 0 ? u""_s : u"+"_s) + mib(value); };
        const double mainGrowth = growth.last.main - growth.first.main;
        out << "  " << who << mib(growth.first.all) << " MiB after " << SoakFirstReading
            << " navigations, " << mib(growth.last.all) << " MiB after " << SoakNavigations
            << ": growth " << mib(growth.percent()) << " % (main process " << change(mainGrowth)
            << " MiB, engine processes " << change(growth.last.all - growth.first.all - mainGrowth)
            << " MiB)" << Qt::endl;
    };
    out << "whole program's memory (PSS of all processes, of the memory they hold: library files "
           "left out)"
        << Qt::endl;
    figures("bare view (floor): ", floor);
    figures("Kestrav:           ", memory);
    const double over = memory.percent() - floor.percent();
    out << "  Kestrav's growth less the bare view's: " << QString::number(over, 'f', 1)
        << " points; goal <= 2 points: " << (over <= 2 ? "met" : "MISSED")
        << "; goal under 5 % in all: " << (memory.percent() < 5 ? "met" : "MISSED") << Qt::endl;
    return EXIT_SUCCESS;
}
