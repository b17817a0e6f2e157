// A long run of the real window on the real engine: 1,000 navigations over loopback pages of
// every kind the user meets (plain pages, redirects, missing pages, a 5 MB page, a page whose
// process is killed, a page that hangs and is stopped, a download that is declined), with the
// link list and the source view every 20th page. It prints the whole program's memory after
// 100 and after 1,000 navigations, and checks that nothing broke and that the favorites file
// and the settings store are whole at the end.

#include "benchfigures.h"
#include "benchpages.h"
#include "httpserver.h"
#include "programmemory.h"
#include "recenturls.h"
#include "sqlitesettingsstore.h"
#include "webenginebrowsercontrol.h"
#include "windowfixture.h"

#include <csignal>
#include <cstdlib>
#include <QDir>
#include <QFile>
#include <QWebEnginePage>
#include <QWebEngineView>

using namespace Qt::StringLiterals;

namespace {

constexpr int Navigations = 1'000;

} // namespace

int main(int argc, char *argv[])
{
    HermeticHome home;
    QApplication app(argc, argv);
    QTextStream out(stdout);
    const auto fail = [&](const QString &what) {
        out << "FAILED: " << what << Qt::endl;
        return EXIT_FAILURE;
    };

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
    double memoryAt100 = 0;
    int kills = 0;
    int hangsStopped = 0;
    for (int n = 1; n <= Navigations; ++n) {
        QString path = u"/page/%1"_s.arg(n % 50);
        if (n % 10 == 3)
            path = u"/redirect"_s;
        else if (n % 10 == 6)
            path = u"/missing/%1"_s.arg(n);
        else if (n % 100 == 40)
            path = u"/large.html"_s;
        else if (n % 100 == 70)
            path = u"/file.bin"_s;
        else if (n % 250 == 125)
            path = u"/hang.html"_s;

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
        } else if (n % 100 == 90) {
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
        if (n == 100)
            memoryAt100 = programMemoryMiB();
    }
    const double memoryAtEnd = programMemoryMiB();

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

    const double growth = (memoryAtEnd - memoryAt100) / memoryAt100 * 100;
    out << Navigations << " navigations in " << clock.elapsed() / 1000 << " s; " << kills
        << " killed pages and " << hangsStopped << " hung pages stopped, each with its notice; "
        << recent.size() << " recent addresses read back whole" << Qt::endl;
    out << "whole program's memory (PSS, all processes): " << QString::number(memoryAt100, 'f', 1)
        << " MiB after 100 navigations, " << QString::number(memoryAtEnd, 'f', 1) << " MiB after "
        << Navigations << ": growth " << QString::number(growth, 'f', 1)
        << " %; goal <= 10 %: " << (growth <= 10 ? "met" : "MISSED") << Qt::endl;
    return EXIT_SUCCESS;
}
