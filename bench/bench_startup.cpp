// Start-up: Kestrav against a bare web view (bareview), each started RUNS times in turn,
// timed from process start to the start page's completed load. Prints the medians, their
// ratio and Kestrav's start by phase (the "kestrav.startup" marks). The bare view shows the
// page at the size Kestrav showed it, so both draw the same page.
//
//   bench_startup KESTRAV BAREVIEW STARTPAGE [RUNS]

#include "blockingsettings.h"
#include "sqlitesettingsstore.h"

#include <algorithm>
#include <cstdio>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace {

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n == 0 ? 0 : (n % 2 ? values.at(n / 2) : (values.at(n / 2 - 1) + values.at(n / 2)) / 2);
}

struct Run
{
    double total = -1; // milliseconds, -1 when the page never loaded
    QMap<QString, double> phases; // Kestrav's marks, milliseconds since it was loaded
    QByteArray pageSize; // "WIDTHxHEIGHT", where the program said it
};

// Starts the program and waits for the line that says the page is shown.
Run timeStart(const QString &program, const QStringList &arguments,
              const QProcessEnvironment &environment, const QByteArray &doneLine)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    Run run;
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    QByteArray pending;
    while (run.total < 0 && process.waitForReadyRead(30'000)) {
        pending += process.readAll();
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QByteArray line = pending.left(end).trimmed();
            pending.remove(0, end + 1);
            if (line.startsWith("kestrav.startup: page size ")) {
                run.pageSize = line.mid(int(qstrlen("kestrav.startup: page size ")));
            } else if (line.startsWith("kestrav.startup: ")) {
                const QByteArray mark = line.mid(int(qstrlen("kestrav.startup: ")));
                const qsizetype space = mark.lastIndexOf(' ');
                run.phases.insert(QString::fromUtf8(mark.left(space)),
                                  mark.mid(space + 1).toDouble());
            }
            if (line.contains(doneLine) && run.total < 0)
                run.total = double(timer.nsecsElapsed()) / 1e6;
        }
    }
    process.kill();
    process.waitForFinished();
    return run;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.size() < 4) {
        std::fputs("usage: bench_startup KESTRAV BAREVIEW STARTPAGE [RUNS]\n", stderr);
        return 2;
    }
    const int runs = args.size() > 4 ? args.at(4).toInt() : 10;

    // Both programs start with a home of their own that the first, uncounted run warms up.
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home.filePath(QStringLiteral("cache")));
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("kestrav.startup=true"));

    const auto kestrav = [&] { return timeStart(args.at(1), {}, environment, "page loaded"); };
    const QString pageSize = QString::fromLatin1(kestrav().pageSize);
    if (pageSize.isEmpty()) {
        std::fputs("Kestrav did not say at what size it showed the start page\n", stderr);
        return 1;
    }
    const auto floor = [&] {
        return timeStart(args.at(2), { args.at(3), pageSize }, environment, "loaded");
    };
    floor();

    QList<double> kestravTimes, floorTimes;
    QMap<QString, QList<double>> phases, floorPhases;
    for (int i = 0; i < runs; ++i) {
        // In turn, each going first half of the time, so drift favours neither.
        Run k, f;
        if (i % 2) {
            k = kestrav();
            f = floor();
        } else {
            f = floor();
            k = kestrav();
        }
        if (k.total < 0 || f.total < 0) {
            std::fputs("a program did not show the start page\n", stderr);
            return 1;
        }
        kestravTimes.append(k.total);
        floorTimes.append(f.total);
        for (auto it = k.phases.cbegin(); it != k.phases.cend(); ++it)
            phases[it.key()].append(it.value());
        for (auto it = f.phases.cbegin(); it != f.phases.cend(); ++it)
            floorPhases[it.key()].append(it.value());
    }

    const auto range = [](const QList<double> &t) {
        return QStringLiteral("%1 to %2")
            .arg(*std::min_element(t.begin(), t.end()), 0, 'f', 0)
            .arg(*std::max_element(t.begin(), t.end()), 0, 'f', 0);
    };
    const double ratio = median(kestravTimes) / median(floorTimes);
    std::printf("start-up, %d runs each, the page shown at %s\n", runs, qPrintable(pageSize));
    std::printf("  bare view (floor): median %.0f ms (%s)\n", median(floorTimes),
                qPrintable(range(floorTimes)));
    std::printf("  Kestrav:           median %.0f ms (%s)\n", median(kestravTimes),
                qPrintable(range(kestravTimes)));
    std::printf("  ratio %.2f (goal at most 1.15)\n", ratio);
    std::printf("  by phase (median ms since the program was loaded; bare view beside):\n");
    QList<QPair<double, QString>> ordered;
    for (auto it = phases.cbegin(); it != phases.cend(); ++it)
        ordered.append({ median(it.value()), it.key() });
    std::sort(ordered.begin(), ordered.end());
    for (const auto &[ms, name] : ordered) {
        const auto floorPhase = floorPhases.constFind(name);
        if (floorPhase == floorPhases.cend())
            std::printf("    %-22s %6.1f\n", qPrintable(name), ms);
        else
            std::printf("    %-22s %6.1f  %6.1f\n", qPrintable(name), ms, median(*floorPhase));
    }

    // Content blocking on (as above) against off: the same program in a home of its own whose
    // settings turn blocking off. Both homes are warm: the lists' compiled form is kept.
    QTemporaryDir offHome;
    QProcessEnvironment offEnvironment = environment;
    for (const auto &[name, folder] : { std::pair { "HOME", "" },
                                        { "XDG_CONFIG_HOME", "config" },
                                        { "XDG_DATA_HOME", "data" },
                                        { "XDG_CACHE_HOME", "cache" } })
        offEnvironment.insert(QString::fromLatin1(name),
                              offHome.filePath(QString::fromLatin1(folder)));
    {
        SqliteSettingsStore store(
            offHome.filePath(QStringLiteral("config/kestrav/settings.sqlite")));
        BlockingSettings::setEnabled(store, false);
    }
    const auto offStart = [&] { return timeStart(args.at(1), {}, offEnvironment, "page loaded"); };
    offStart();
    QList<double> onTimes, offTimes;
    for (int i = 0; i < runs; ++i) {
        const Run on = i % 2 ? kestrav() : Run();
        const Run off = offStart();
        const Run onAfter = i % 2 ? Run() : kestrav();
        const double onTotal = i % 2 ? on.total : onAfter.total;
        if (onTotal < 0 || off.total < 0) {
            std::fputs("a program did not show the start page\n", stderr);
            return 1;
        }
        onTimes.append(onTotal);
        offTimes.append(off.total);
    }
    std::printf("start-up with content blocking, %d runs each\n", runs);
    std::printf("  blocking off: median %.0f ms (%s)\n", median(offTimes),
                qPrintable(range(offTimes)));
    std::printf("  blocking on:  median %.0f ms (%s)\n", median(onTimes),
                qPrintable(range(onTimes)));
    std::printf("  on / off %.3f (goal at most 1.03)\n", median(onTimes) / median(offTimes));
    return 0;
}
