// Start-up: Kestrav against a bare web view (bareview), each started RUNS times in turn, timed
// from process start to the start page's completed load and to the caption showing the page's
// title, with the PSS of all the processes of each once the page is shown. Prints the medians,
// their ratios, their spread and Kestrav's start by phase (the "kestrav.startup" marks). The
// floor is the bare view filling the screen, as Kestrav's frame does; the bare view at the size
// of Kestrav's page area draws the same page as Kestrav, and is kept beside it. A third
// program in the same rounds, framedview, is the bare view in a window with the parts of
// Kestrav's: it splits the gap into what such a window costs and what Kestrav's own code does.
// A fourth, the same window shown only once it is finished and its page is loading, is the floor
// of a frame shown last: the bench says which of Kestrav's steps take longer than its own.
// A fifth is Kestrav drawing its pages through OpenGL, as it does where a graphics card draws
// OpenGL: where OpenGL is drawn in software, as under Xvfb, it draws them in software. Then the
// budget of each optional store: Kestrav with it against Kestrav without it.
//
//   bench_startup KESTRAV BAREVIEW STARTPAGE [RUNS [start-up]]
//
// With "start-up", the stores' budgets are left out.
//
// kestrav_without, the program with stores left out, is looked for beside KESTRAV, and
// framedview beside BAREVIEW.

#include "benchfigures.h"
#include "platform/desktop/blocking/blockingsettings.h"
#include "platform/desktop/settings/sqlitesettingsstore.h"
#include "programmemory.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <functional>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

namespace {

// The PSS is read this long after the page has loaded, once the first paint and the
// processes' own start have settled.
constexpr int SettleMs = 500;

struct Run
{
    double loaded = -1; // milliseconds to the load finished, -1 when the page never loaded
    double caption = -1; // milliseconds to the caption showing the page's title
    double pssMiB = -1; // all the program's processes, once settled
    double mainPssMiB = -1; // its main process alone
    QMap<QString, double> phases; // the program's marks, milliseconds since it was loaded
    QByteArray pageSize; // "WIDTHxHEIGHT", where the program said it

    bool complete() const { return loaded >= 0 && caption >= 0 && pssMiB > 0; }
};

struct Figures
{
    QList<double> loaded, caption, pss, mainPss;

    void add(const Run &run)
    {
        loaded.append(run.loaded);
        caption.append(run.caption);
        pss.append(run.pssMiB);
        mainPss.append(run.mainPssMiB);
    }
};

// Starts the program, waits for the lines that say the page is loaded and that the caption
// shows its title, lets it settle and reads the PSS of it and every process it started.
Run timeStart(const QString &program, const QStringList &arguments,
              const QProcessEnvironment &environment, const QByteArray &doneLine,
              const QByteArray &captionLine)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    Run run;
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    QByteArray pending;
    while ((run.loaded < 0 || run.caption < 0) && process.waitForReadyRead(30'000)) {
        pending += process.readAll();
        const double now = double(timer.nsecsElapsed()) / 1e6;
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QByteArray line = pending.left(end).trimmed();
            pending.remove(0, end + 1);
            if (line.startsWith("kestrav.startup: page size ")) {
                run.pageSize = line.mid(int(qstrlen("kestrav.startup: page size ")));
            } else if (line.startsWith("kestrav.startup: ")) {
                const QByteArray mark = line.mid(int(qstrlen("kestrav.startup: ")));
                const qsizetype space = mark.lastIndexOf(' ');
                const QString name = QString::fromUtf8(mark.left(space));
                if (!run.phases.contains(name))
                    run.phases.insert(name, mark.mid(space + 1).toDouble());
            }
            if (line.contains(doneLine) && run.loaded < 0)
                run.loaded = now;
            if (line.startsWith(captionLine) && run.caption < 0)
                run.caption = now;
        }
    }
    if (run.loaded >= 0 && run.caption >= 0) {
        QThread::msleep(SettleMs);
        const MemoryReading memory = readProgramMemory(process.processId());
        run.pssMiB = memory.all;
        run.mainPssMiB = memory.main;
    }
    // Each run ends as the session ends a program (SIGTERM), so that the next start finds what
    // a user's later start finds: what the program keeps for it (content blocking's compiled
    // lists) kept, and the engine's profile closed. Killed, Kestrav would build its lists at
    // every start. The engine's processes outlive the program for a moment; the next program
    // would share their pages, and its memory would read low. Each program starts alone.
    const QList<qint64> processes = descendantsOf(process.processId());
    process.terminate();
    process.waitForFinished(30'000);
    process.kill();
    process.waitForFinished();
    for (const qint64 left : processes)
        ::kill(pid_t(left), SIGKILL);
    QElapsedTimer gone;
    gone.start();
    while (gone.elapsed() < 5000 && std::ranges::any_of(processes, [](qint64 left) {
               return QFile::exists(QStringLiteral("/proc/%1").arg(left));
           }))
        QThread::msleep(10);
    return run;
}

QString spread(const QList<double> &values, int decimals)
{
    return QStringLiteral("middle half %1 to %2, all %3 to %4")
        .arg(quantile(values, 0.25), 0, 'f', decimals)
        .arg(quantile(values, 0.75), 0, 'f', decimals)
        .arg(*std::min_element(values.begin(), values.end()), 0, 'f', decimals)
        .arg(*std::max_element(values.begin(), values.end()), 0, 'f', decimals);
}

void printAgainstFloor(const char *what, const char *unit, int decimals, const QList<double> &floor,
                       const QList<double> &program, double goal)
{
    const double ratio = median(program) / median(floor);
    std::printf("  %s\n", what);
    std::printf("    bare view (floor): median %.*f %s (%s)\n", decimals, median(floor), unit,
                qPrintable(spread(floor, decimals)));
    std::printf("    Kestrav:           median %.*f %s (%s)\n", decimals, median(program), unit,
                qPrintable(spread(program, decimals)));
    std::printf("    ratio %.3f (goal at most %.2f: %s)\n", ratio, goal,
                ratio <= goal ? "met" : "MISSED");
}

// Runs the programs in rounds, each round starting with the next program, so that drift
// favours none. The figures and the runs of each round are in the programs' order.
bool interleave(int runs, const QList<std::function<Run()>> &programs, QList<Figures> &figures,
                const std::function<void(const QList<Run> &)> &each = {})
{
    figures.resize(programs.size());
    for (int i = 0; i < runs; ++i) {
        QList<Run> round(programs.size());
        for (qsizetype k = 0; k < programs.size(); ++k) {
            const qsizetype which = (i + k) % programs.size();
            round[which] = programs.at(which)();
        }
        for (qsizetype k = 0; k < programs.size(); ++k) {
            if (!round.at(k).complete()) {
                std::fputs("a program did not show the start page\n", stderr);
                return false;
            }
            figures[k].add(round.at(k));
        }
        if (each)
            each(round);
    }
    return true;
}

void printBudget(const char *store, const Figures &with, const Figures &without, double goal)
{
    const double ratio = median(with.loaded) / median(without.loaded);
    std::printf("  %s\n", store);
    std::printf("    without: page loaded median %.0f ms (%s), PSS median %.1f MiB\n",
                median(without.loaded), qPrintable(spread(without.loaded, 0)), median(without.pss));
    std::printf("    with:    page loaded median %.0f ms (%s), PSS median %.1f MiB\n",
                median(with.loaded), qPrintable(spread(with.loaded, 0)), median(with.pss));
    std::printf("    with / without: start-up %.3f (goal at most %.2f: %s), PSS %.3f\n", ratio,
                goal, ratio <= goal ? "met" : "MISSED", median(with.pss) / median(without.pss));
}

using Marks = QMap<QString, QList<double>>;

// The floor of a frame shown once, finished: Kestrav against it and against the full-screen
// bare view, and, between each two marks both programs have, how much longer Kestrav takes,
// with Kestrav's own marks in that stretch.
void printShownLast(const Figures &screenFloor, const Figures &shownLast, const Figures &kestrav,
                    const Marks &kestravMarks, const Marks &floorMarks)
{
    const double againstScreen = median(kestrav.loaded) / median(screenFloor.loaded);
    const double againstShownLast = median(kestrav.loaded) / median(shownLast.loaded);
    std::printf(
        "  the same window shown only once finished, its page loading (the frame-shown-last "
        "floor), to the page loaded\n");
    std::printf("    median %.0f ms (%s); against the bare view %.3f\n", median(shownLast.loaded),
                qPrintable(spread(shownLast.loaded, 0)),
                median(shownLast.loaded) / median(screenFloor.loaded));
    std::printf("    Kestrav against it %.3f (goal at most 1.05: %s); against the full-screen bare "
                "view %.3f (goal at most 1.10: %s)\n",
                againstShownLast, againstShownLast <= 1.05 ? "met" : "MISSED", againstScreen,
                againstScreen <= 1.10 ? "met" : "MISSED");
    QList<QPair<double, QString>> ordered;
    for (auto it = kestravMarks.cbegin(); it != kestravMarks.cend(); ++it)
        ordered.append({ median(it.value()), it.key() });
    std::sort(ordered.begin(), ordered.end());
    std::printf("    where Kestrav spends above it (median ms between marks both have; Kestrav's "
                "own marks in between):\n");
    QString from;
    QStringList own;
    for (const auto &[ms, name] : ordered) {
        if (!floorMarks.contains(name)) {
            own.append(QStringLiteral("%1 %2").arg(name).arg(ms, 0, 'f', 1));
            continue;
        }
        if (!from.isEmpty()) {
            const double kestravStep = ms - median(kestravMarks.value(from));
            const double floorStep
                = median(floorMarks.value(name)) - median(floorMarks.value(from));
            std::printf(
                "      %-24s -> %-24s Kestrav %6.1f, floor %6.1f, %+6.1f%s%s\n", qPrintable(from),
                qPrintable(name), kestravStep, floorStep, kestravStep - floorStep,
                own.isEmpty() ? "" : "  through: ", qPrintable(own.join(QStringLiteral(", "))));
        }
        from = name;
        own.clear();
    }
}

QProcessEnvironment environmentIn(const QProcessEnvironment &base, const QTemporaryDir &home)
{
    QProcessEnvironment environment = base;
    for (const auto &[name, folder] : { std::pair { "HOME", "" },
                                        { "XDG_CONFIG_HOME", "config" },
                                        { "XDG_DATA_HOME", "data" },
                                        { "XDG_CACHE_HOME", "cache" } })
        environment.insert(QString::fromLatin1(name), home.filePath(QString::fromLatin1(folder)));
    return environment;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.size() < 4) {
        std::fputs("usage: bench_startup KESTRAV BAREVIEW STARTPAGE [RUNS [start-up]]\n", stderr);
        return 2;
    }
    const int runs = args.size() > 4 ? args.at(4).toInt() : 10;
    const QString without = QFileInfo(args.at(1)).dir().filePath(QStringLiteral("kestrav_without"));
    const QString framed = QFileInfo(args.at(2)).dir().filePath(QStringLiteral("framedview"));
    for (const QString &helper : { without, framed }) {
        if (!QFileInfo(helper).isExecutable()) {
            std::fprintf(stderr, "no %s\n", qPrintable(helper));
            return 2;
        }
    }

    // The caption is the page's own title once the page is shown.
    QFile startPage(args.at(3));
    if (!startPage.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(args.at(3)));
        return 2;
    }
    const QRegularExpressionMatch title
        = QRegularExpression(QStringLiteral("<title>([^<]*)</title>"))
              .match(QString::fromUtf8(startPage.readAll()));
    if (!title.hasMatch()) {
        std::fputs("the start page has no title\n", stderr);
        return 2;
    }
    const QByteArray captionLine = "kestrav.startup: caption " + title.captured(1).toUtf8() + ' ';

    // Both programs start with a home of their own that the first, uncounted run warms up.
    QTemporaryDir home;
    QProcessEnvironment base = QProcessEnvironment::systemEnvironment();
    base.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("kestrav.startup=true"));
    const QProcessEnvironment environment = environmentIn(base, home);

    const auto kestravIn = [&](const QProcessEnvironment &in) {
        return timeStart(args.at(1), {}, in, "page loaded", captionLine);
    };
    const auto kestrav = [&] { return kestravIn(environment); };
    const QString pageSize = QString::fromLatin1(kestrav().pageSize);
    if (pageSize.isEmpty()) {
        std::fputs("Kestrav did not say at what size it showed the start page\n", stderr);
        return 1;
    }
    const auto floor = [&] {
        return timeStart(args.at(2), { args.at(3), pageSize }, environment, "loaded", captionLine);
    };
    floor();
    const auto screenFloor = [&] {
        return timeStart(args.at(2), { args.at(3), QStringLiteral("screen") }, environment,
                         "loaded", captionLine);
    };
    screenFloor();
    const auto framedFloor
        = [&] { return timeStart(framed, { args.at(3) }, environment, "loaded", captionLine); };
    framedFloor();
    const auto shownLastFloor = [&] {
        return timeStart(framed, { args.at(3), QStringLiteral("shown-last") }, environment,
                         "loaded", captionLine);
    };
    shownLastFloor();

    // Kestrav as it draws where OpenGL has a graphics card behind it: Qt Quick's default
    // renderer, which it keeps wherever QT_QUICK_BACKEND is set.
    QProcessEnvironment openGlEnvironment = environment;
    openGlEnvironment.insert(QStringLiteral("QT_QUICK_BACKEND"), QString());
    const auto kestravOpenGl = [&] { return kestravIn(openGlEnvironment); };
    kestravOpenGl();

    const QList<std::function<Run()>> programs { kestrav,        screenFloor, framedFloor,
                                                 shownLastFloor, floor,       kestravOpenGl };
    QList<Figures> figures;
    // Each program's marks, in the programs' order.
    QList<QMap<QString, QList<double>>> phases(programs.size());
    const bool ran = interleave(runs, programs, figures, [&](const QList<Run> &round) {
        for (qsizetype k = 0; k < round.size(); ++k) {
            for (auto it = round.at(k).phases.cbegin(); it != round.at(k).phases.cend(); ++it)
                phases[k][it.key()].append(it.value());
        }
    });
    if (!ran)
        return 1;
    const Figures &kestravFigures = figures.at(0);
    const Figures &floorFigures = figures.at(1);
    const Figures &framedFigures = figures.at(2);
    const Figures &shownLastFigures = figures.at(3);
    const Figures &pageSizedFigures = figures.at(4);
    const Figures &openGlFigures = figures.at(5);

    std::printf("start-up, %d runs each in turn, Kestrav's page shown at %s, timed from process "
                "start; the floor is the bare view filling the screen\n",
                runs, qPrintable(pageSize));
    printAgainstFloor("to the start page loaded", "ms", 0, floorFigures.loaded,
                      kestravFigures.loaded, 1.05);
    printAgainstFloor("to the caption showing the page's title", "ms", 0, floorFigures.caption,
                      kestravFigures.caption, 1.05);
    std::printf("  the bare view at the size of Kestrav's page area, to the page loaded\n");
    std::printf("    median %.0f ms (%s); against the full-screen floor %.3f; Kestrav against it "
                "%.3f\n",
                median(pageSizedFigures.loaded), qPrintable(spread(pageSizedFigures.loaded, 0)),
                median(pageSizedFigures.loaded) / median(floorFigures.loaded),
                median(kestravFigures.loaded) / median(pageSizedFigures.loaded));
    std::printf("  the bare view in a window with Kestrav's parts (framedview), to the page "
                "loaded\n");
    std::printf("    median %.0f ms (%s)\n", median(framedFigures.loaded),
                qPrintable(spread(framedFigures.loaded, 0)));
    std::printf("    against the bare view %.3f (what such a window costs); Kestrav against it "
                "%.3f (what Kestrav's own code costs)\n",
                median(framedFigures.loaded) / median(floorFigures.loaded),
                median(kestravFigures.loaded) / median(framedFigures.loaded));
    printShownLast(floorFigures, shownLastFigures, kestravFigures, phases.at(0), phases.at(3));
    std::printf("  Kestrav drawing its pages through OpenGL, as where a graphics card draws it "
                "(QT_QUICK_BACKEND set), to the page loaded\n");
    std::printf("    median %.0f ms (%s); against the full-screen bare view %.3f, against the "
                "frame-shown-last floor %.3f; Kestrav as it draws here against it %.3f; PSS "
                "median %.1f MiB\n",
                median(openGlFigures.loaded), qPrintable(spread(openGlFigures.loaded, 0)),
                median(openGlFigures.loaded) / median(floorFigures.loaded),
                median(openGlFigures.loaded) / median(shownLastFigures.loaded),
                median(kestravFigures.loaded) / median(openGlFigures.loaded),
                median(openGlFigures.pss));
    std::printf("memory, %d ms after the page loaded (PSS of the main and the engine's "
                "processes)\n",
                SettleMs);
    printAgainstFloor("all processes", "MiB", 1, floorFigures.pss, kestravFigures.pss, 1.05);
    const auto printPart
        = [](const char *what, const QList<double> &floor, const QList<double> &program) {
              std::printf("  %s: bare view median %.1f MiB, Kestrav %.1f MiB (%+.1f)\n", what,
                          median(floor), median(program), median(program) - median(floor));
          };
    printPart("main process", floorFigures.mainPss, kestravFigures.mainPss);
    QList<double> floorEngine, kestravEngine;
    for (qsizetype i = 0; i < floorFigures.pss.size(); ++i) {
        floorEngine.append(floorFigures.pss.at(i) - floorFigures.mainPss.at(i));
        kestravEngine.append(kestravFigures.pss.at(i) - kestravFigures.mainPss.at(i));
    }
    printPart("engine processes", floorEngine, kestravEngine);
    std::printf("  the bare view in a window with Kestrav's parts: median %.1f MiB, against the "
                "bare view %.3f; Kestrav against it %.3f\n",
                median(framedFigures.pss), median(framedFigures.pss) / median(floorFigures.pss),
                median(kestravFigures.pss) / median(framedFigures.pss));
    std::printf(
        "  by phase (median ms since the program was loaded; Kestrav, the full-screen "
        "bare view, the framed view, the framed view shown last, the page-sized bare view and "
        "Kestrav through OpenGL, where each has the mark):\n");
    QList<QPair<double, QString>> ordered;
    for (auto it = phases.at(0).cbegin(); it != phases.at(0).cend(); ++it)
        ordered.append({ median(it.value()), it.key() });
    std::sort(ordered.begin(), ordered.end());
    for (const auto &[ms, name] : ordered) {
        QByteArray line = name.left(34).toUtf8().leftJustified(34)
            + QByteArray::number(ms, 'f', 1).rightJustified(7);
        for (qsizetype k = 1; k < phases.size(); ++k) {
            const auto mark = phases.at(k).constFind(name);
            line += mark == phases.at(k).cend()
                ? QByteArray(8, ' ')
                : QByteArray::number(median(*mark), 'f', 1).rightJustified(8);
        }
        std::printf("    %s\n", line.constData());
    }

    if (args.value(5) == QLatin1String("start-up"))
        return 0;
    std::printf("start-up budget of each optional store, %d runs each in turn\n", runs);
    // Content blocking as the user turns it off: the same program in a home of its own whose
    // settings say so. Both homes are warm: the lists' compiled form is kept.
    QTemporaryDir offHome;
    const QProcessEnvironment offEnvironment = environmentIn(base, offHome);
    {
        SqliteSettingsStore store(
            offHome.filePath(QStringLiteral("config/kestrav/settings.sqlite")));
        BlockingSettings::setEnabled(store, false);
    }
    // One store's budget: Kestrav as it is against Kestrav started without the store, after
    // a first, uncounted start of the latter.
    const auto budget = [&](const char *name, const std::function<Run()> &withoutStore) {
        withoutStore();
        QList<Figures> pair;
        if (!interleave(runs, { kestrav, withoutStore }, pair))
            return false;
        printBudget(name, pair.at(0), pair.at(1), 1.03);
        return true;
    };
    if (!budget("content blocking (on against turned off in the settings)",
                [&] { return kestravIn(offEnvironment); }))
        return 1;
    // The history has no switch: the program without it has a store that keeps nothing.
    if (!budget("history store (the store against one that keeps nothing)", [&] {
            return timeStart(without, { QStringLiteral("history") }, environment, "page loaded",
                             captionLine);
        }))
        return 1;
    return 0;
}
