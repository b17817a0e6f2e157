// Commands that are quick today, timed so that they stay quick: the link list of a page with
// 10,000 links, the source view of a 5 MB body, finding in that page and its source, the
// address list's update at 10,000 addresses, and a navigation to a site that keeps a zoom, in
// the real window with the real web engine, on pages served over loopback. Then hostile pages:
// 200 MB of HTML, HTML at the source view's bound, a million links and fetches that never
// end, each with the longest stall and the window's peak memory.

#include "benchfigures.h"
#include "benchpages.h"
#include "httpserver.h"
#include "platform/api/richtextarea.h"
#include "platform/api/shownlimits.h"
#include "platform/desktop/transfer/networkinternettransfer.h"
#include "platform/desktop/webengine/webenginebrowsercontrol.h"
#include "programmemory.h"
#include "windowfixture.h"

#include <cstdlib>
#include <functional>
#include <QComboBox>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// Long enough after a command for the repaint it causes.
constexpr int SettleMs = 250;
constexpr double PaintGoalMs = 100;

QByteArray linksBody(int count)
{
    QByteArray body;
    for (int i = 0; i < count; ++i)
        body += "<a href=\"/linked/" + QByteArray::number(i) + ".html\">link "
            + QByteArray::number(i) + "</a><br>\n";
    return body;
}

QByteArray bodyOfSize(qsizetype bytes)
{
    const QByteArray paragraph = "<p>" + QByteArray(90, 'x') + " " + QByteArray(90, 'y') + "</p>\n";
    QByteArray body;
    body.reserve(bytes + paragraph.size());
    while (body.size() < bytes)
        body += paragraph;
    return body;
}

// How long one command takes, and the longest time in which the event loop did not run at
// all (so that nothing could be painted), the repaint after the command included. A 1 ms
// timer samples the loop; the gaps between its ticks are the stalls.
struct Blocking
{
    Samples handler;
    Samples longestStall;
};

void runAsEvent(Blocking &figures, const std::function<void()> &command)
{
    QEventLoop loop;
    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 longest = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(1);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - lastTick);
        lastTick = now;
    });
    QTimer::singleShot(0, [&] {
        QElapsedTimer handler;
        handler.start();
        command();
        figures.handler.add(handler);
        QTimer::singleShot(SettleMs, &loop, &QEventLoop::quit);
    });
    clock.start();
    probe.start();
    loop.exec();
    longest = std::max(longest, clock.nsecsElapsed() - lastTick);
    figures.longestStall.ms.append(double(longest) / 1e6);
}

// A command on a hostile page: its longest stall, and how far the window's process grew at
// its peak above where it stood before.
void hostileFigure(QTextStream &out, const QString &name, const std::function<void()> &command,
                   double textMiB = 0)
{
    Blocking figures;
    const double before = residentMiB();
    resetPeakMemory();
    runAsEvent(figures, command);
    const double peak = residentMiB("VmHWM:") - before;
    printFigure(out, name + u": longest stall"_s, figures.longestStall, 250);
    out << name << u": peak memory "_s << QString::number(qMax(peak, 0.0), 'f', 1) << " MiB";
    if (textMiB > 0) {
        out << ", " << QString::number(peak / textMiB, 'f', 2) << " times the text's "
            << QString::number(textMiB, 'f', 1)
            << " MiB; goal <= 3: " << (peak / textMiB <= 3 ? "met" : "MISSED");
    }
    out << Qt::endl;
}

} // namespace

int main(int argc, char *argv[])
{
    HermeticHome home;
    QApplication app(argc, argv);
    QTextStream out(stdout);

    HttpServer server;
    if (!server.listen()) {
        out << "FAILED: no loopback port" << Qt::endl;
        return EXIT_FAILURE;
    }
    constexpr int linkCount = 10'000;
    constexpr qsizetype bodyBytes = 5 * 1024 * 1024;
    server.route(u"/links.html"_s, page("Links", linksBody(linkCount)));
    server.route(u"/large.html"_s, page("Large", bodyOfSize(bodyBytes)));

    WindowFixture fixture;
    fixture.test.platform.createInternetTransfer = [] {
        return std::unique_ptr<InternetTransfer>(std::make_unique<NetworkInternetTransfer>());
    };
    WebEngineBrowserControl *engine = nullptr;
    fixture.test.platform.createWebBrowserControl = [&engine](QWidget *parent) {
        engine = new WebEngineBrowserControl(parent);
        return engine;
    };
    fixture.start();
    frmWebBrowser &window = fixture.window();
    const auto load = [&](const QString &path, const QString &title) {
        engine->Navigate(server.url(path));
        return waitFor([&] { return window.windowTitle() == title && !engine->Busy(); });
    };
    const auto trigger = [&](const char *item) {
        return [&window, item] { window.menuItem(QString::fromLatin1(item))->trigger(); };
    };
    const auto fail = [&](const QString &what) {
        out << "FAILED: " << what << Qt::endl;
        return EXIT_FAILURE;
    };

    // The link list.
    if (!load(u"/links.html"_s, u"Links"_s))
        return fail(u"the page of links did not load"_s);
    fixture.cboAddress()->setEditText(engine->LocationURL());
    Samples linkFloor;
    Blocking listLinks;
    for (int k = 0; k < 9; ++k) {
        QElapsedTimer timer;
        timer.start();
        const qsizetype hrefs = engine->document().DocumentLinkHrefs().size();
        linkFloor.add(timer);
        if (hrefs != linkCount)
            return fail(u"the page has %1 links"_s.arg(hrefs));
        runAsEvent(listLinks, trigger("mnuLinksListLinks"));
        if (fixture.cboLinksList()->count() != 101)
            return fail(u"%1 links listed"_s.arg(fixture.cboLinksList()->count()));
    }
    printFigure(out, u"page's link addresses read from the engine (floor)"_s, linkFloor);
    printFigure(out, u"list links on a page of 10,000 links: handler"_s, listLinks.handler, 0,
                &linkFloor);
    printFigure(out, u"list links on a page of 10,000 links: longest stall"_s,
                listLinks.longestStall, PaintGoalMs);

    // The source view, and the way back from it.
    if (!load(u"/large.html"_s, u"Large"_s))
        return fail(u"the large page did not load"_s);
    Samples sourceFloor;
    Blocking display, restore;
    for (int k = 0; k < 7; ++k) {
        QElapsedTimer timer;
        timer.start();
        const qsizetype htmlSize = engine->document().DocumentBodyInnerHTML().size();
        sourceFloor.add(timer);
        if (htmlSize < bodyBytes)
            return fail(u"the body holds %1 characters"_s.arg(htmlSize));
        runAsEvent(display, trigger("mnuLinksDisplayCurrHTMLDoc"));
        // The area ends its lines with CR LF, so it holds a little more than the body.
        if (fixture.Text1().Text().size() < htmlSize)
            return fail(
                u"the source view holds %1 of %2 characters"_s.arg(fixture.Text1().Text().size())
                    .arg(htmlSize));
        runAsEvent(restore, trigger("mnuLinksRestoreWebBrowser"));
        if (!fixture.Text1().Text().isEmpty())
            return fail(u"the source view was not left"_s);
    }
    printFigure(out, u"body HTML of 5 MB read from the engine (floor)"_s, sourceFloor);
    printFigure(out, u"source view of a 5 MB body: handler"_s, display.handler, 0, &sourceFloor);
    printFigure(out, u"source view of a 5 MB body: longest stall"_s, display.longestStall,
                PaintGoalMs);
    printFigure(out, u"back to the browser from that source view: handler"_s, restore.handler);
    printFigure(out, u"back to the browser from that source view: longest stall"_s,
                restore.longestStall, PaintGoalMs);

    // Finding on that page, and in its source, where the window counts the matches itself.
    trigger("actFind")();
    auto *field = fixture.control<QLineEdit>("findText");
    auto *result = fixture.control<QLabel>("findResult");
    for (const bool source : { false, true }) {
        if (source)
            trigger("mnuLinksDisplayCurrHTMLDoc")();
        Blocking find;
        for (int k = 0; k < 7; ++k) {
            field->clear();
            runAsEvent(find, [&] { field->setText(u"x y"_s); });
            if (!waitFor([&] { return result->text().endsWith(u" of 27741"_s); }))
                return fail(u"the matches were counted as %1"_s.arg(result->text()));
        }
        printFigure(out,
                    source ? u"count 27,741 matches in the 5 MB source view: longest stall"_s
                           : u"count 27,741 matches in the 5 MB page: longest stall"_s,
                    find.longestStall, PaintGoalMs);
    }
    trigger("mnuLinksRestoreWebBrowser")();
    trigger("actStop")();

    // The address list's update after a navigation, with the engine's own location.
    constexpr int addressCount = 10'000;
    QComboBox &addresses = *fixture.cboAddress();
    const QString location = engine->LocationURL();
    const auto fillAddresses = [&](bool listed) {
        addresses.clear();
        QStringList entries;
        for (int i = 0; i < addressCount - (listed ? 1 : 0); ++i)
            entries.append(server.url(u"/visited/%1.html"_s.arg(i)));
        if (listed)
            entries.append(location); // the last one the search reaches
        addresses.addItems(entries);
    };
    for (const bool listed : { true, false }) {
        fillAddresses(listed);
        Samples update;
        for (int k = 0; k < 51; ++k) {
            QElapsedTimer timer;
            timer.start();
            window.ctlWebBrowser_NavigateComplete2(location);
            update.add(timer);
            if (addresses.itemText(0) != location || window.lastURLWasNew() == listed
                || addresses.count() != addressCount + (listed ? 0 : 1))
                return fail(u"the address list was not updated"_s);
            // Back to where it was, untimed.
            addresses.removeItem(0);
            if (listed)
                addresses.addItem(location);
        }
        printFigure(out,
                    listed ? u"address list update, location last of 10,000"_s
                           : u"address list update, location new to 10,000"_s,
                    update, 1);
    }

    // A navigation to a site that keeps a zoom, against the same one to a site at 100 %: the
    // same server under two names.
    server.route(u"/zoomed.html"_s, page("Zoomed", bodyOfSize(64 * 1024)));
    const QString zoomedPage = server.url(u"/zoomed.html"_s);
    QString plainPage = zoomedPage;
    plainPage.replace(u"127.0.0.1"_s, u"localhost"_s);
    fixture.test.settings->SaveSetting(u"ZivaruruviVO"_s, u"Zoom"_s, u"127.0.0.1"_s, u"150"_s);
    Samples zoomed, plain;
    int loadsEnded = 0;
    QObject::connect(engine, &WebBrowserControl::DownloadComplete, [&] { ++loadsEnded; });
    const auto navigate = [&](const QString &url) {
        const int before = loadsEnded;
        engine->Navigate(url);
        return waitFor([&] { return loadsEnded > before; });
    };
    for (int k = 0; k < 15; ++k) {
        for (const bool zoom : { true, false }) {
            QElapsedTimer timer;
            timer.start();
            if (!navigate(zoom ? zoomedPage : plainPage))
                return fail(u"the zoomed page did not load"_s);
            (zoom ? zoomed : plain).add(timer);
            if (!qFuzzyCompare(engine->zoom().ZoomFactor(), zoom ? 1.5 : 1.0))
                return fail(u"the page is at %1"_s.arg(engine->zoom().ZoomFactor()));
            navigate(u"about:blank"_s);
        }
    }
    printFigure(out, u"navigation to a page at 100 % (floor)"_s, plain);
    printFigure(out, u"the same navigation to a site kept at 150 %"_s, zoomed, 0, &plain);

    // Hostile pages, made by their own scripts so that this process never holds them.
    const QLabel *status = fixture.frame->Panel1;
    // Each titled by its path, so that a load is not taken for the one before it.
    const auto madeByScript = [&](const char *path, const QByteArray &script) {
        server.route(QString::fromLatin1(path), page(path, "<script>" + script + "</script>"));
        return load(QString::fromLatin1(path), QString::fromLatin1(path));
    };
    const auto htmlOfChars = [](qint64 chars) {
        // Lines of 200 characters, as a long page has them: one text node, quickly made, in
        // a hidden element that costs no layout.
        return "var hidden = document.createElement('div'); hidden.hidden = true;"
               "hidden.appendChild(document.createTextNode(('x'.repeat(199) + '\\n').repeat("
            + QByteArray::number(chars / 200)
            + ")));"
              "document.body.appendChild(hidden);";
    };
    if (!madeByScript("/html-200mb.html", htmlOfChars(200LL * 1000 * 1000)))
        return fail(u"the page of 200 MB did not load"_s);
    hostileFigure(out, u"source view of 200 MB of HTML"_s, trigger("mnuLinksDisplayCurrHTMLDoc"));
    out << "  the window says: " << status->text() << Qt::endl;
    trigger("mnuLinksRestoreWebBrowser")();

    const qint64 boundChars = ShownLimits::MaxTextChars - 1000;
    if (!madeByScript("/html-bound.html", htmlOfChars(boundChars)))
        return fail(u"the page at the bound did not load"_s);
    hostileFigure(out, u"source view of HTML at the bound (16 Mi characters)"_s,
                  trigger("mnuLinksDisplayCurrHTMLDoc"), double(boundChars) * 2 / (1 << 20));
    if (fixture.Text1().Text().size() < boundChars)
        return fail(u"the source view holds %1 characters (%2)"_s.arg(fixture.Text1().Text().size())
                        .arg(status->text()));
    trigger("mnuLinksRestoreWebBrowser")();

    if (!madeByScript("/million-links.html",
                      "var html = [];"
                      "for (var i = 0; i < 1000000; ++i) html.push('<a href=\"/l' + i + '\">' + i "
                      "+ '</a> ');"
                      "document.write(html.join(''));"))
        return fail(u"the page of a million links did not load"_s);
    fixture.cboAddress()->setEditText(engine->LocationURL());
    hostileFigure(out, u"link list of a page of 1,000,000 links"_s, trigger("mnuLinksListLinks"));
    if (fixture.cboLinksList()->count() != 101)
        return fail(u"%1 links listed"_s.arg(fixture.cboLinksList()->count()));

    server.route(u"/endless.txt"_s, HttpResponse::endlessText());
    HttpResponse bomb;
    bomb.contentType = "text/plain";
    bomb.headers = { "Content-Encoding: gzip" };
    bomb.body = HttpServer::gzip(QByteArray(1 << 30, '\0'));
    server.route(u"/bomb.txt"_s, bomb);
    HttpResponse underCap;
    underCap.contentType = "text/plain";
    underCap.body = QByteArray(60 << 20, 'u');
    server.route(u"/60mib.txt"_s, underCap);
    for (const auto &[path, name] :
         { std::pair { u"/endless.txt"_s, u"fetch of an endless chunked body"_s },
           std::pair { u"/bomb.txt"_s, u"fetch of a gzip body inflating to 1 GiB"_s },
           std::pair { u"/60mib.txt"_s, u"fetch of 60 MiB of text"_s } }) {
        fixture.cboLinksList()->setEditText(server.url(path));
        hostileFigure(out, name, trigger("mnuLinksDisplayLinkHTMLDoc"));
        out << "  the window says: " << status->text() << Qt::endl;
        trigger("mnuLinksRestoreWebBrowser")();
    }
    return EXIT_SUCCESS;
}
