// A long run of hostile input in one run of the real window on the real engine: 200 rounds of
// favorites files as disks and hand edits leave them, pages of 200 MB of HTML, of a million
// links and of floods of questions, fetches that never end or inflate far, and stores that
// fight back. After each round the window must answer, Favorites.txt must be byte for byte
// what the round leaves, and the stores must read back whole. It prints each case's outcome
// and peak memory, and the worst.

#include "app/processmemory.h"
#include "benchpages.h"
#include "favorites/favoritesfile.h"
#include "history/recenturls.h"
#include "httpserver.h"
#include "platform/desktop/settings/sqlitesettingsstore.h"
#include "platform/desktop/transfer/networkinternettransfer.h"
#include "platform/desktop/webengine/guardedpage.h"
#include "platform/desktop/webengine/webenginebrowsercontrol.h"
#include "programmemory.h"
#include "questions/onequestionatatime.h"
#include "settings/keepingsettingsstore.h"
#include "sitedata/rememberedanswers.h"
#include "windowfixture.h"

#include <cstdlib>
#include <map>
#include <QDir>
#include <QLabel>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QToolButton>
#include <QWebEngineView>

using namespace Qt::StringLiterals;

namespace {

constexpr int Rounds = 200;

QByteArray numberedLines(int first, int count)
{
    QByteArray bytes;
    for (int i = first; i < first + count; ++i)
        bytes += "http://host" + QByteArray::number(i).rightJustified(6, '0') + ".example/\r\n";
    return bytes;
}

// A store that fights back, on a scratch file of its own folder: how it is damaged for the
// round, what runs the program's writes under it, and whether what the file held before is
// still there to read (random bytes in its place leave nothing). A second store (the history)
// adds its cases to the list that main() builds, with the same expectations: the program
// starts, goes on, is told once, and the file keeps all it held.
struct StoreCase
{
    QString name;
    std::function<bool(const QString &path)> damage; // false: the case could not be made
    std::function<bool(const std::function<void()> &writes)> within;
    std::function<void(const QString &path)> undamage;
    bool keepsEarlier = true;
};

// Runs the program's own writes against a damaged settings file; "" when it held up.
QString settingsStoreHoldsUp(const QString &folder, const StoreCase &store)
{
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(u"settings.sqlite"_s);
    const QStringList earlier { u"http://kept2.test/"_s, u"http://kept1.test/"_s };
    {
        SqliteSettingsStore writer(path);
        RecentUrls::write(writer, earlier.at(1));
        RecentUrls::write(writer, earlier.at(0));
    }
    if (!store.damage(path))
        return u"could not be made"_s;
    const QByteArray before = readAll(path);
    int notices = 0;
    QStringList seen;
    const bool ran = store.within([&] {
        KeepingSettingsStore kept(std::make_shared<SqliteSettingsStore>(path),
                                  [&](const QString &) { ++notices; });
        Failure::skip([&] {
            RecentUrls::write(kept, u"http://new.test/"_s);
            RecentUrls::write(kept, u"http://newer.test/"_s);
        });
        seen = RecentUrls::read(kept);
    });
    store.undamage(path);
    const QStringList kept = store.keepsEarlier ? earlier : QStringList();
    const QStringList expected
        = QStringList { u"http://newer.test/"_s, u"http://new.test/"_s } + kept;
    if (!ran)
        return u"could not be made"_s;
    if (seen != expected)
        return u"this run read %1"_s.arg(seen.join(u' '));
    if (notices != 1)
        return u"told %1 times"_s.arg(notices);
    if (readAll(path) != before)
        return u"the file changed"_s;
    if (RecentUrls::read(SqliteSettingsStore(path)) != kept)
        return u"the file does not read back whole"_s;
    return QString();
}

struct Outcome
{
    int rounds = 0;
    QString failure;
    double worstProgramMiB = 0; // PSS of every process after the round
    double worstWindowPeakMiB = 0; // the window's own process, above where it stood
};

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

    HttpServer server;
    if (!server.listen())
        return fail(u"no loopback port"_s);
    for (int i = 0; i < 20; ++i)
        server.route(u"/page/%1"_s.arg(i), page("Page " + QByteArray::number(i), "<p>plain</p>"));
    // Hostile pages are made by their own scripts: this process never holds them.
    const auto scripted = [&](const char *path, const QByteArray &script) {
        server.route(QString::fromLatin1(path), page("Hostile", "<script>" + script + "</script>"));
    };
    scripted(
        "/html-200mb.html",
        "var hidden = document.createElement('div'); hidden.hidden = true;"
        "hidden.appendChild(document.createTextNode(('x'.repeat(199) + '\\n').repeat(1000000)));"
        "document.body.appendChild(hidden);");
    scripted("/million-links.html",
             "var html = [];"
             "for (var i = 0; i < 1000000; ++i) html.push('<a href=\"/l' "
             "+ i + '\">' + i + '</a> ');"
             "document.write(html.join(''));");
    scripted("/questions.html",
             "var yes = 0;"
             "for (var i = 0; i < 100; ++i) { alert(i); if (confirm(i)) ++yes; prompt(i, 'p'); }"
             "for (var i = 0; i < 100; ++i) Notification.requestPermission();"
             "for (var i = 0; i < 300; ++i) window.open('/page/' + (i % 20));");
    server.route(u"/endless.txt"_s, HttpResponse::endlessText());
    HttpResponse bomb;
    bomb.contentType = "text/plain";
    bomb.headers = { "Content-Encoding: br" };
    bomb.body = HttpServer::brotli(QByteArray(1 << 30, '\0'));
    server.route(u"/bomb.txt"_s, bomb);
    HttpResponse loop;
    loop.status = 302;
    loop.location = "/loop";
    server.route(u"/loop"_s, loop);
    HttpResponse terabyte;
    terabyte.announcedLength = qint64(1) << 40;
    terabyte.held = true;
    server.route(u"/terabyte.txt"_s, terabyte);

    WindowFixture fixture;
    const QString folder = fixture.sandbox.programFolder();
    // The program's folder on a small disk of its own, so that rounds can fill it: as large
    // as the largest file a round writes needs twice over.
    SmallDisk disk(512 * 1024 * 1024, folder);
    if (!disk.refusal().isEmpty())
        out << "full-disk rounds pass without running: " << disk.refusal() << Qt::endl;
    const QString storePath = QDir(folder).filePath(u"settings.sqlite"_s);
    fixture.test.platform.settings = std::make_shared<SqliteSettingsStore>(storePath);
    fixture.test.platform.createInternetTransfer = [] {
        return std::unique_ptr<InternetTransfer>(std::make_unique<NetworkInternetTransfer>());
    };
    WebEngineBrowserControl *engine = nullptr;
    fixture.test.platform.createWebBrowserControl = [&](QWidget *parent) {
        engine = new WebEngineBrowserControl(
            parent,
            std::make_shared<OneQuestionAtATime>(
                std::make_shared<RememberedAnswers>(fixture.test.questions)));
        return engine;
    };
    const QString favoritesPath = fixture.favoritesPath();
    const QByteArray plainFavorites = "http://a.test/\r\n";
    if (!writeAll(favoritesPath, plainFavorites))
        return fail(u"no favorites file"_s);
    fixture.start();
    frmWebBrowser &window = fixture.window();
    // The user answers each of the page's own dialogs with OK.
    int dialogsShown = 0;
    auto *page
        = qobject_cast<GuardedPage *>(static_cast<QWebEngineView *>(engine->widget())->page());
    page->showDialog = [&](GuardedPage::Dialog, const QString &, QString *) {
        ++dialogsShown;
        return true;
    };
    int loadsEnded = 0;
    QObject::connect(engine, &WebBrowserControl::DownloadComplete, [&] { ++loadsEnded; });
    const QLabel *status = fixture.frame->Panel1;
    QStringList &prompts = fixture.test.messages->prompts;
    const auto load = [&](const QString &path) {
        const int before = loadsEnded;
        engine->Navigate(server.url(path));
        return waitFor([&] { return loadsEnded > before && !engine->Busy(); });
    };
    const auto trigger
        = [&](const char *item) { window.menuItem(QString::fromLatin1(item))->trigger(); };
    const auto click = [&](const char *button) {
        QTest::mouseClick(fixture.control<QToolButton>(QString::fromLatin1(button)),
                          Qt::LeftButton);
    };
    const auto expectPrompt = [&](const QString &start) -> QString {
        const QStringList shown = std::exchange(prompts, {});
        if (start.isEmpty())
            return shown.isEmpty() ? QString() : u"shown: "_s + shown.join(u" | "_s);
        if (shown.size() != 1 || !shown.first().startsWith(start))
            return u"expected one message starting %1, shown: %2"_s.arg(start,
                                                                        shown.join(u" | "_s));
        return QString();
    };

    // A favorites round: the file as left by hand, an add of "c" or a remove of one item,
    // and what the file must then hold byte for byte.
    const auto favorites = [&](const QByteArray &file, int removed, const QByteArray &expected,
                               const QString &prompt = {}) {
        return [&, file, removed, expected, prompt]() -> QString {
            if (!writeAll(favoritesPath, file))
                return u"could not write the file"_s;
            window.Form_Activate();
            fixture.cboAddress()->setEditText(u"c"_s);
            if (removed >= 0)
                fixture.cboFavoritesList()->setCurrentIndex(removed);
            click(removed >= 0 ? "cmdDeleteFavorite" : "cmdAddFavorite");
            if (readAll(favoritesPath) != expected)
                return u"Favorites.txt holds %1 bytes, not the %2 expected"_s
                    .arg(readAll(favoritesPath).size())
                    .arg(expected.size());
            return expectPrompt(prompt);
        };
    };
    const QString addFailed = u"cmdAddFavorite_Click\r\n75"_s;
    const QByteArray longLine = "http://" + QByteArray(50 * 1024 * 1024, 'x');
    const QByteArray many = numberedLines(0, 100'000);
    // Outside the program's folder, and gone with the run.
    QTemporaryDir outside;
    const QString elsewhere = outside.filePath(u"elsewhere.txt"_s);

    // The page's source view, link list or a fetch, and what the status bar must then say.
    const auto sourceView = [&](const QString &path, const char *command, const QString &told) {
        return [&, path, command, told]() -> QString {
            if (!path.isEmpty() && !load(path))
                return u"the page did not load"_s;
            trigger(command);
            const QString said = status->text();
            trigger("mnuLinksRestoreWebBrowser");
            if (!said.contains(told))
                return u"the status bar says \"%1\""_s.arg(said);
            if (!fixture.Text1().Text().isEmpty())
                return u"the source view kept text"_s;
            return expectPrompt(QString());
        };
    };
    const auto fetch = [&](const QString &path, const QString &told) {
        return [&, path, told]() -> QString {
            fixture.cboLinksList()->setEditText(server.url(path));
            return sourceView(QString(), "mnuLinksDisplayLinkHTMLDoc", told)();
        };
    };

    // The hook for more stores: each case runs against each store's scratch file.
    const auto direct = [](const std::function<void()> &writes) {
        writes();
        return true;
    };
    const auto nothing = [](const QString &) {};
    QSqlDatabase otherCopy = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"soak-other-copy"_s);
    QList<StoreCase> storeCases {
        { u"random bytes"_s,
          [](const QString &path) {
              QByteArray bytes(64 * 1024, '\0');
              for (char &byte : bytes)
                  byte = char(QRandomGenerator::global()->bounded(256));
              return writeAll(path, bytes);
          },
          direct, nothing, false },
        { u"read-only file"_s,
          [](const QString &path) { return QFile::setPermissions(path, QFile::ReadOwner); },
          withFilePermissions,
          [](const QString &path) {
              QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
          } },
        { u"read-only folder"_s,
          [](const QString &path) {
              return QFile::setPermissions(QFileInfo(path).absolutePath(),
                                           QFile::ReadOwner | QFile::ExeOwner);
          },
          withFilePermissions,
          [](const QString &path) {
              QFile::setPermissions(QFileInfo(path).absolutePath(),
                                    QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
          } },
        { u"full disk"_s, [](const QString &) { return true; },
          [](const std::function<void()> &writes) { return withFileSizeLimit(1024, writes); },
          nothing },
        // Held for longer than a write waits for it.
        { u"locked by another copy"_s,
          [&otherCopy](const QString &path) {
              otherCopy.setDatabaseName(path);
              QSqlQuery hold(otherCopy);
              return otherCopy.open() && hold.exec(u"BEGIN IMMEDIATE"_s)
                  && hold.exec(u"UPDATE settings SET value = value"_s);
          },
          direct, [&otherCopy](const QString &) { otherCopy.close(); } },
    };

    std::map<QString, std::function<QString()>> cases {
        { u"favorites: NUL bytes, add"_s,
          favorites(QByteArray("b\0x\r\na\r\n", 8), -1, QByteArray("a\r\nb\0x\r\nc\r\n", 11)) },
        { u"favorites: invalid UTF-8, remove"_s,
          favorites("\xc0\xaf\r\n\xed\xa0\x80\r\nz\r\n", 2, "\xc0\xaf\r\n\xed\xa0\x80\r\n") },
        { u"favorites: a 50 MB line, add"_s, favorites(longLine, -1, "c\r\n" + longLine + "\r\n") },
        { u"favorites: 100,000 lines, add"_s,
          favorites(many, -1, many, u"Favorites List is full"_s) },
        { u"favorites: 100,000 lines, remove"_s, favorites(many, 0, numberedLines(1, 99'999)) },
        { u"favorites: CR-only line ends, remove"_s, favorites("c\rb\ra", 1, "c\r\na\r\n") },
        { u"favorites: link to a file elsewhere, add"_s,
          [&]() -> QString {
              QFile::remove(favoritesPath);
              if (!writeAll(elsewhere, "x\r\n") || !QFile::link(elsewhere, favoritesPath))
                  return u"could not make the link"_s;
              window.Form_Activate();
              click("cmdAddFavorite");
              const QString why = expectPrompt(addFailed);
              const bool kept
                  = readAll(elsewhere) == "x\r\n" && QFileInfo(favoritesPath).isSymLink();
              QFile::remove(favoritesPath);
              return !why.isEmpty() ? why : kept ? QString() : u"the link was written through"_s;
          } },
        { u"favorites: read-only program folder, add"_s,
          [&]() -> QString {
              QString result = u"file permissions do not apply"_s;
              withFilePermissions([&] {
                  QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
                  result = favorites(plainFavorites, -1, plainFavorites, addFailed)();
                  QFile::setPermissions(folder,
                                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
              });
              return result;
          } },
        { u"favorites: read permission gone after start, add"_s,
          [&]() -> QString {
              if (!writeAll(favoritesPath, plainFavorites))
                  return u"could not write the file"_s;
              window.Form_Activate();
              QFile::setPermissions(favoritesPath, QFile::WriteOwner);
              const bool made = withFilePermissions([&] { click("cmdAddFavorite"); });
              QFile::setPermissions(favoritesPath, QFile::ReadOwner | QFile::WriteOwner);
              if (!made)
                  return u"file permissions do not apply"_s;
              if (readAll(favoritesPath) != plainFavorites)
                  return u"Favorites.txt changed"_s;
              return expectPrompt(addFailed);
          } },
        { u"page: 200 MB of HTML, source view"_s,
          sourceView(u"/html-200mb.html"_s, "mnuLinksDisplayCurrHTMLDoc",
                     u"more than the 16,777,216 that the source view shows"_s) },
        { u"page: 1,000,000 links, link list"_s,
          [&]() -> QString {
              if (!load(u"/million-links.html"_s))
                  return u"the page did not load"_s;
              fixture.cboAddress()->setEditText(engine->LocationURL());
              trigger("mnuLinksListLinks");
              if (fixture.cboLinksList()->count() != 101)
                  return u"%1 links listed"_s.arg(fixture.cboLinksList()->count());
              return expectPrompt(QString());
          } },
        { u"page: alerts, confirms, prompts, permissions, window.open"_s,
          [&]() -> QString {
              const int shownBefore = dialogsShown;
              const qsizetype askedBefore = fixture.test.questions->asked.size();
              if (!load(u"/questions.html"_s))
                  return u"the page did not load"_s;
              // Everything it opens ends on one of the plain pages.
              if (!waitFor([&] { return engine->LocationName().startsWith(u"Page "_s); }))
                  return u"the page's flood did not end (%1)"_s.arg(engine->LocationName());
              const int shown = dialogsShown - shownBefore;
              if (shown > GuardedPage::MaxQuestions)
                  return u"%1 dialogs shown"_s.arg(shown);
              if (fixture.test.questions->asked.size() - askedBefore > 1)
                  return u"asked %1 times"_s.arg(fixture.test.questions->asked.size()
                                                 - askedBefore);
              return expectPrompt(QString());
          } },
        { u"full disk: favorites add, then room again"_s,
          [&]() -> QString {
              if (!disk.refusal().isEmpty())
                  return QString();
              if (!writeAll(favoritesPath, plainFavorites) || !disk.fill())
                  return u"could not fill the disk"_s;
              const QString full
                  = favorites(plainFavorites, -1, plainFavorites,
                              u"The disk holding %1 is full: the favorites were not changed."_s.arg(
                                  QDir::toNativeSeparators(folder)))();
              disk.free();
              if (!full.isEmpty())
                  return full;
              return favorites(plainFavorites, -1, "c\r\n" + plainFavorites)();
          } },
        { u"full disk: settings kept in memory, then written"_s,
          [&]() -> QString {
              if (!disk.refusal().isEmpty())
                  return QString();
              const QString path = QDir(folder).filePath(u"full-disk-settings.sqlite"_s);
              QFile::remove(path);
              QStringList notices;
              {
                  KeepingSettingsStore store(
                      std::make_shared<SqliteSettingsStore>(path),
                      [&](const QString &notice) { notices.append(notice); });
                  RecentUrls::write(store, u"http://before.test/"_s);
                  if (!disk.fill())
                      return u"could not fill the disk"_s;
                  for (int i = 0; i < 10; ++i)
                      RecentUrls::write(store,
                                        u"http://full%1.test/"_s.arg(i) + QString(4096, u'x'));
                  disk.free();
                  RecentUrls::write(store, u"http://after.test/"_s);
              }
              const QStringList stored = RecentUrls::read(SqliteSettingsStore(path));
              QFile::remove(path);
              // A write may find a freed page of the file while the disk is full, so the
              // notice can come and go more than once; it must come first and leave last.
              if (notices.size() < 2 || notices.size() % 2 != 0
                  || !notices.first().startsWith(u"The disk holding"_s)
                  || !notices.last().isEmpty())
                  return u"told: %1"_s.arg(notices.join(u" | "_s));
              if (stored.value(0) != u"http://after.test/"_s || stored.size() != 10)
                  return u"the file holds %1"_s.arg(stored.join(u' '));
              return QString();
          } },
        { u"fetch: an endless chunked body"_s, fetch(u"/endless.txt"_s, u"larger than 64 MiB"_s) },
        { u"fetch: brotli inflating to 1 GiB"_s,
          fetch(u"/bomb.txt"_s, u"inflates far beyond its size"_s) },
        { u"fetch: a Content-Length of 1 TiB"_s,
          fetch(u"/terabyte.txt"_s, u"larger than 64 MiB"_s) },
        { u"fetch: a redirect loop"_s, fetch(u"/loop"_s, u"redirects more than 50 times"_s) },
    };
    const QString scratch = outside.filePath(u"scratch-store"_s);
    for (const StoreCase &store : storeCases) {
        cases.emplace(u"settings store: "_s + store.name,
                      [&scratch, &store] { return settingsStoreHoldsUp(scratch, store); });
    }
    // The window's own store: read back whole after every round; from round 150 another
    // connection holds its write lock, and the window keeps its settings for the run alone.
    QSqlDatabase locker = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"soak-locker"_s);
    locker.setDatabaseName(storePath);
    QStringList storedWhenLocked;

    std::map<QString, Outcome> outcomes;
    QList<QString> order;
    for (const auto &[name, run] : cases)
        order.append(name);
    QElapsedTimer clock;
    clock.start();
    for (int round = 1; round <= Rounds; ++round) {
        const QString name = order.at((round - 1) % order.size());
        Outcome &outcome = outcomes[name];
        ++outcome.rounds;
        const double before = residentMiB();
        resetPeakMemory();
        QString failure = cases.at(name)();
        outcome.worstWindowPeakMiB
            = qMax(outcome.worstWindowPeakMiB, residentMiB("VmHWM:") - before);

        // The window answers: an address entered goes, and is kept.
        if (failure.isEmpty()) {
            if (round == 150) {
                storedWhenLocked = RecentUrls::read(SqliteSettingsStore(storePath));
                QSqlQuery hold(locker);
                if (!locker.open() || !hold.exec(u"BEGIN IMMEDIATE"_s)
                    || !hold.exec(u"UPDATE settings SET value = value"_s))
                    failure = u"could not lock the settings file"_s;
            }
            const QString address = server.url(u"/page/%1"_s.arg(round % 20));
            if (!load(u"/page/%1"_s.arg(round % 20)))
                failure = u"the window did not go to the next page"_s;
            // As an address entered in the box is kept.
            window.WriteRecentURLs(address);
            window.ReadRecentURLs();
            const QString said = status->text();
            if (window.urlHistoryCaption(0) != address)
                failure = u"the recent menu shows %1"_s.arg(window.urlHistoryCaption(0));
            else if (round == 150 && !said.contains(u"kept only until the program ends"_s))
                failure = u"the locked store was not told (%1)"_s.arg(said);
            const QStringList stored = RecentUrls::read(SqliteSettingsStore(storePath));
            if (failure.isEmpty() && round < 150 && stored.value(0) != address)
                failure = u"the settings file holds %1"_s.arg(stored.value(0));
            if (failure.isEmpty() && round >= 150 && stored != storedWhenLocked)
                failure = u"the settings file lost what it held"_s;
        }
        if (failure.isEmpty())
            failure = expectPrompt(QString());
        if (failure.isEmpty() && readAll(favoritesPath) != plainFavorites
            && !writeAll(favoritesPath, plainFavorites))
            failure = u"the favorites file could not be put back"_s;
        outcome.worstProgramMiB = qMax(outcome.worstProgramMiB, programMemoryMiB());
        if (!failure.isEmpty() && outcome.failure.isEmpty())
            outcome.failure = u"round %1: %2"_s.arg(round).arg(failure);
    }
    locker.close();

    bool failed = false;
    QString worst;
    double worstMiB = 0;
    for (const auto &[name, outcome] : outcomes) {
        out << name << ": " << outcome.rounds << " rounds, "
            << (outcome.failure.isEmpty() ? u"held"_s : u"FAILED "_s + outcome.failure)
            << "; window's peak +" << QString::number(qMax(outcome.worstWindowPeakMiB, 0.0), 'f', 1)
            << " MiB, whole program " << QString::number(outcome.worstProgramMiB, 'f', 1) << " MiB"
            << Qt::endl;
        failed = failed || !outcome.failure.isEmpty();
        if (outcome.worstProgramMiB > worstMiB) {
            worstMiB = outcome.worstProgramMiB;
            worst = name;
        }
    }
    out << Rounds << " rounds in " << clock.elapsed() / 1000
        << " s; worst case for memory: " << worst << ", " << QString::number(worstMiB, 'f', 1)
        << " MiB for the whole program (PSS, all processes)" << Qt::endl;
    return failed ? EXIT_FAILURE : EXIT_SUCCESS;
}
