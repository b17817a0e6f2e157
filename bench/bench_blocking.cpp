// Content blocking: the decision per request over more than 100,000 requests made from the
// lists themselves and from ordinary pages, loading the compiled form, compiling the lists off
// the user-interface thread, the engine's memory, and lists made to hurt (50 MB, a million
// rules, a pathological expression, lines in another encoding).
//
//   bench_blocking [LIST...]     (EasyList and EasyPrivacy by default)

#include "benchfigures.h"
#include "contentblocking/filtersources.h"
#include "filterrequests.h"
#include "platform/desktop/blocking/compiledformfile.h"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <future>
#include <malloc.h>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double microseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

std::size_t residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toULongLong() * 4096 : 0;
}

// The bytes of the file at path that this process has mapped and holds in memory, in MiB.
double residentMiBOf(const QString &path)
{
    QFile smaps(QStringLiteral("/proc/self/smaps"));
    if (!smaps.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray name = path.toLocal8Bit();
    bool inFile = false;
    double kB = 0;
    // A mapping's line ("start-end perms offset device inode path"), then its fields.
    for (const QByteArray &line : smaps.readAll().split('\n')) {
        if (line.left(line.indexOf(' ')).endsWith(':')) {
            if (inFile && line.startsWith("Rss:"))
                kB += line.mid(4).trimmed().split(' ').value(0).toDouble();
        } else {
            inFile = line.endsWith(name);
        }
    }
    return kB / 1024;
}

QByteArray readLists(const QStringList &paths)
{
    QByteArray all;
    for (const QString &path : paths) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            all += file.readAll() + '\n';
    }
    return all;
}

void decisions(QTextStream &out, const QString &name, const Filters::FilterEngine &engine,
               const std::vector<BenchRequest> &requests)
{
    std::vector<double> times;
    times.reserve(requests.size());
    std::size_t blocked = 0;
    for (const BenchRequest &request : requests) {
        const auto start = Clock::now();
        const Filters::Decision decision
            = engine.decide({ request.url, request.firstParty, request.type });
        times.push_back(microseconds(Clock::now() - start));
        blocked += decision.blocked;
    }
    std::sort(times.begin(), times.end());
    out << name << ": " << requests.size() << " requests, " << blocked << " blocked; median "
        << QString::number(times[times.size() / 2], 'f', 2) << " us, p99 "
        << QString::number(times[times.size() * 99 / 100], 'f', 2) << " us, max "
        << QString::number(times.back(), 'f', 1) << " us (goal: median <= 5 us, p99 <= 50 us)"
        << Qt::endl;
}

void printListFigures(QTextStream &out, const Filters::FilterEngine &engine)
{
    const Filters::ListFigures &f = engine.figures();
    out << "  lines " << f.lines << ": network " << f.networkRules << ", cosmetic "
        << f.cosmeticRules << ", comments " << f.comments << ", skipped " << f.skipped()
        << " (unsupported " << f.unsupported << ", malformed " << f.malformed << ", encoding "
        << f.badEncoding << ", too long " << f.tooLong << ", regex " << f.badRegex
        << "); rules taken out by $badfilter " << f.cancelled << Qt::endl;
}

// Addresses as long as the engine lets through (2 MiB), made of words that are all different,
// decided on as the window's thread decides each request.
void longAddresses(QTextStream &out, const Filters::FilterEngine &engine)
{
    for (const int kib : { 64, 700, 2048 }) {
        std::string url = "https://x.example/";
        for (int i = 0; url.size() < std::size_t(kib) * 1024 - 16; ++i)
            url += 'w' + std::to_string(i) + '/';
        url.resize(std::size_t(kib) * 1024, 'z');
        Samples samples;
        for (int run = 0; run < 9; ++run) {
            QElapsedTimer timer;
            timer.start();
            (void)engine.decide({ url, "https://news.example/", Filters::Image });
            samples.add(timer);
        }
        printFigure(out, QStringLiteral("decide a %1 KiB address").arg(kib), samples,
                    kib == 2048 ? 1 : 0);
    }
}

// What compiling leaves in the process, and what giving the parser's freed memory back to the
// system returns.
void compileMemory(QTextStream &out, const QStringList &lists)
{
    const std::size_t before = residentBytes();
    const QByteArray data = readLists(lists);
    auto engine = std::async(std::launch::async, [&] {
                      Filters::RuleCollection rules;
                      Filters::parseList(
                          std::string_view(data.constData(), std::size_t(data.size())), rules);
                      return std::make_unique<Filters::FilterEngine>(rules);
                  }).get();
    const std::size_t compiled = residentBytes();
    malloc_trim(0);
    const std::size_t trimmed = residentBytes();
    out << "process memory after a compile: grew "
        << QString::number((double(compiled) - double(before)) / 1e6, 'f', 1) << " MB, "
        << QString::number((double(compiled) - double(trimmed)) / 1e6, 'f', 1)
        << " MB given back by malloc_trim (as compileLists does)" << Qt::endl;
}

// A list made to hurt, parsed and compiled, and decided on.
void hostile(QTextStream &out, const QString &name, const QByteArray &list,
             const std::vector<BenchRequest> &requests)
{
    const auto start = Clock::now();
    Filters::RuleCollection rules;
    Filters::parseList(std::string_view(list.constData(), std::size_t(list.size())), rules);
    const Filters::FilterEngine engine(rules);
    out << name << " (" << QString::number(list.size() / 1e6, 'f', 1) << " MB): compiled in "
        << QString::number(microseconds(Clock::now() - start) / 1000, 'f', 0) << " ms, "
        << QString::number(engine.memoryUsage() / 1e6, 'f', 1) << " MB" << Qt::endl;
    printListFigures(out, engine);
    decisions(out, QStringLiteral("  decisions"), engine, requests);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    QStringList lists = application.arguments().mid(1);
    if (lists.isEmpty())
        lists = Filters::defaultLists(QString());
    if (lists.isEmpty()) {
        out << "no filter lists (install webext-ublock-origin-chromium)" << Qt::endl;
        return 1;
    }
    const QByteArray data = readLists(lists);
    out << "lists: " << lists.join(QStringLiteral(", ")) << " ("
        << QString::number(data.size() / 1e6, 'f', 1) << " MB)" << Qt::endl;

    // Compiling, as the program does it: on a worker thread while this one waits.
    Samples compile;
    std::unique_ptr<Filters::FilterEngine> engine;
    for (int i = 0; i < 5; ++i) {
        const std::size_t before = residentBytes();
        QElapsedTimer timer;
        timer.start();
        engine = std::async(std::launch::async, [&] { return Filters::compileLists(lists); }).get();
        compile.add(timer);
        if (i == 0) {
            out << "engine memory: " << QString::number(engine->memoryUsage() / 1e6, 'f', 1)
                << " MB counted, resident growth "
                << QString::number((residentBytes() - before) / 1e6, 'f', 1)
                << " MB (goal <= 40 MB)" << Qt::endl;
        }
    }
    printFigure(out, QStringLiteral("compile both lists off the UI thread"), compile, 1500);
    printListFigures(out, *engine);

    const std::string file = engine->save("bench");
    Samples load;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer timer;
        timer.start();
        const auto loaded = Filters::FilterEngine::load(file, "bench");
        load.add(timer);
        if (!loaded)
            return 1;
    }
    out << "compiled form: " << QString::number(file.size() / 1e6, 'f', 1) << " MB" << Qt::endl;
    printFigure(out, QStringLiteral("load the compiled form"), load, 50);

    std::vector<BenchRequest> requests;
    {
        Filters::RuleCollection rules;
        Filters::parseList(std::string_view(data.constData(), std::size_t(data.size())), rules);
        requests = BenchRequests::make(rules, 120'000);
    }
    decisions(out, QStringLiteral("decision"), *engine, requests);
    out << "engine memory after " << requests.size()
        << " decisions: " << QString::number(engine->memoryUsage() / 1e6, 'f', 2)
        << " MB counted (goal <= 6 MB)" << Qt::endl;
    longAddresses(out, *engine);
    compileMemory(out, lists);

    // The style sheet of a page is made on the user-interface thread as each page is asked for.
    Samples sheets;
    std::size_t sheetSize = 0;
    for (int i = 0; i < 200; ++i) {
        const std::string page = "https://" + std::string(BenchRequests::Sites[i % 10]) + "/a.html";
        QElapsedTimer timer;
        timer.start();
        sheetSize = engine->styleSheet(page).size();
        sheets.add(timer);
    }
    out << "cosmetic style sheet of a page: " << QString::number(sheetSize / 1e3, 'f', 0) << " kB"
        << Qt::endl;
    printFigure(out, QStringLiteral("make the style sheet of a page"), sheets);

    // The program reads the compiled form where it lies in its cache file: how much of the
    // file is in its memory once loaded, after a page, and after a long session of requests.
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("engine.bin"));
    {
        QFile cache(path);
        if (!cache.open(QIODevice::WriteOnly)
            || cache.write(file.data(), qint64(file.size())) != qint64(file.size())
            || !cache.flush())
            return 1;
        // Read back from the disk, as a later start reads it, not from the pages just written.
        fsync(cache.handle());
        posix_fadvise(cache.handle(), 0, 0, POSIX_FADV_DONTNEED);
    }
    const auto mapped = mapCompiledForm(path, "bench");
    if (!mapped)
        return 1;
    const double loaded = residentMiBOf(path);
    const auto lookUp = [&](std::size_t first, std::size_t count, int sheetsMade) {
        for (std::size_t i = first; i < first + count && i < requests.size(); ++i)
            (void)mapped->decide({ requests[i].url, requests[i].firstParty, requests[i].type });
        for (int i = 0; i < sheetsMade; ++i) {
            (void)mapped->styleSheet("https://" + std::string(BenchRequests::Sites[i % 10])
                                     + "/a.html");
        }
        return residentMiBOf(path);
    };
    const double oneRequest = lookUp(0, 1, 0);
    const double onePage = lookUp(1, 49, 1);
    const double session = lookUp(50, requests.size(), 200);
    out << "compiled form read in place: " << QString::number(file.size() / 1048576.0, 'f', 1)
        << " MiB file, in memory " << QString::number(loaded, 'f', 1) << " MiB once loaded, "
        << QString::number(oneRequest, 'f', 1) << " after one request, "
        << QString::number(onePage, 'f', 1) << " after a page (50 requests, its style sheet), "
        << QString::number(session, 'f', 1) << " after " << requests.size()
        << " requests and 200 style sheets" << Qt::endl;

    // Lists made to hurt.
    const std::vector<BenchRequest> sample(requests.begin(), requests.begin() + 20'000);
    QByteArray big;
    for (int copy = 0; big.size() < 50'000'000; ++copy)
        big += data + "\n||copy" + QByteArray::number(copy) + ".example^\n";
    hostile(out, QStringLiteral("50 MB list"), big, sample);
    QByteArray million;
    for (int i = 0; i < 1'000'000; ++i) {
        million += (i % 3 == 0       ? "||host"
                        : i % 3 == 1 ? "/path"
                                     : "-ad")
            + QByteArray::number(i)
            + (i % 3 == 0       ? "^$third-party\n"
                   : i % 3 == 1 ? "/*.js$script\n"
                                : "-banner.\n");
    }
    hostile(out, QStringLiteral("a million rules"), million, sample);
    QByteArray mixed = data;
    mixed += "/(a+)+$/\n/(x+x+)+y/$script\n/a{1000}{1000}/\n/(?=lookahead)/\n";
    mixed += "||caf\xe9-latin1.example^\n\xff\xfe||utf16.example^\n##div[\n||a$b$c$d\n$$\n";
    std::vector<BenchRequest> hurt = sample;
    hurt.push_back(
        { "https://example.com/" + std::string(100'000, 'a'), "https://x.com/", Filters::Script });
    hostile(out, QStringLiteral("malformed, pathological and other-encoding lines"), mixed, hurt);
    return 0;
}
