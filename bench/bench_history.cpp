// The history at a million visits of 200,000 addresses, through the real SQLite store: the
// completion of each keystroke, the history window's search and opening, the cost of
// recording a visit on the window's thread, and the file's size against the raw text.
//
//   bench_history [VISITS ADDRESSES]   (default 1000000 200000)
// The generated file is kept beside the program and reused while the sizes are the same.

#include "benchfigures.h"
#include "history/historymatch.h"
#include "history/historyrules.h"
#include "historydata.h"
#include "platform/desktop/history/sqlitehistorystore.h"
#include "ui/history/completionpopup.h"
#include "ui/history/historymodel.h"
#include "ui/history/historywindow.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTimer>
#include <QTreeView>

namespace {

double percentile(QList<double> ms, double p)
{
    if (ms.isEmpty())
        return 0;
    std::sort(ms.begin(), ms.end());
    return ms.at(std::min<qsizetype>(ms.size() - 1, qsizetype(p * double(ms.size()))));
}

void printPercentiles(QTextStream &out, const QString &name, const Samples &samples,
                      double medianGoal, double p99Goal)
{
    const double median = samples.median();
    const double p99 = percentile(samples.ms, 0.99);
    out << name << ": median " << QString::number(median, 'f', 2) << " ms, p99 "
        << QString::number(p99, 'f', 2) << " ms, max " << QString::number(samples.max(), 'f', 2)
        << " ms (" << samples.ms.size() << " keystrokes)";
    if (medianGoal > 0)
        out << "; goal median <= " << medianGoal << ": "
            << (median <= medianGoal ? "met" : "MISSED");
    if (p99Goal > 0)
        out << "; goal p99 <= " << p99Goal << ": " << (p99 <= p99Goal ? "met" : "MISSED");
    out << Qt::endl;
}

template<typename Row, typename Ask> void waitForAnswer(Ask ask)
{
    QEventLoop loop;
    bool answered = false;
    ask(&loop, [&](const QList<Row> &) {
        answered = true;
        loop.quit();
    });
    if (!answered)
        loop.exec();
}

QStringList keystrokes(const HistoryData &data, int addresses, int queries)
{
    QStringList typed;
    for (int q = 0; q < queries; ++q) {
        const QString text = data.typedFor(int((quint64(q) * 7919) % quint64(addresses)));
        for (qsizetype n = 1; n <= text.size(); ++n)
            typed.append(text.left(n));
    }
    return typed;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = app.arguments();
    const int visits = args.size() > 2 ? args.at(1).toInt() : 1'000'000;
    const int addresses = args.size() > 2 ? args.at(2).toInt() : 200'000;
    const QString path = QCoreApplication::applicationDirPath()
        + QStringLiteral("/bench-history-%1-%2.sqlite").arg(visits).arg(addresses);
    HistoryData data(addresses, visits);

    qint64 rawBytes = 0;
    if (!QFileInfo::exists(path)) {
        out << "generating " << visits << " visits of " << addresses << " addresses..." << Qt::endl;
        QElapsedTimer generation;
        generation.start();
        SqliteHistoryStore store(path + QStringLiteral(".part"), History::frecency);
        QObject::connect(&store, &HistoryStore::trouble,
                         [&](const QString &line) { out << "trouble: " << line << Qt::endl; });
        int recorded = 0;
        data.generate([&](const QString &url, const QString &title, qint64 time, VisitKind kind) {
            store.recordVisit(url, History::recordedTitle(title), time, kind);
            if (++recorded % 20000 == 0)
                store.waitUntilIdle(); // keeps the queue, and the memory it holds, short
        });
        store.waitUntilIdle();
        QCoreApplication::processEvents();
        out << "generated in " << generation.elapsed() / 1000 << " s" << Qt::endl;
        QFile::rename(path + QStringLiteral(".part"), path);
        QFile::rename(path + QStringLiteral(".part-wal"), path + QStringLiteral("-wal"));
        QFile::remove(path + QStringLiteral(".part-shm"));
    }
    // The raw text: each visit written out as a line of time, kind, address and title.
    data.generate([&](const QString &url, const QString &title, qint64, VisitKind) {
        rawBytes
            += 13 + 1 + url.toUtf8().size() + History::recordedTitle(title).toUtf8().size() + 4;
    });
    {
        QSqlDatabase db
            = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("size"));
        db.setDatabaseName(path);
        if (db.open())
            QSqlQuery(db).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("size"));
    const qint64 fileBytes
        = QFileInfo(path).size() + QFileInfo(path + QStringLiteral("-wal")).size();
    out << "history file: " << fileBytes / 1024 / 1024 << " MiB for " << rawBytes / 1024 / 1024
        << " MiB of raw text, ratio "
        << QString::number(double(fileBytes) / double(rawBytes), 'f', 2)
        << "; goal <= 1.5: " << (double(fileBytes) <= 1.5 * double(rawBytes) ? "met" : "MISSED")
        << Qt::endl;

    SqliteHistoryStore store(path, History::frecency);
    const QStringList typed = keystrokes(data, addresses, 150);
    // The first read opens the file; it is not a keystroke.
    waitForAnswer<HistoryEntry>([&](QObject *c, auto a) {
        store.complete({ { QStringLiteral("x") }, {}, 10 }, c, a);
    });

    Samples completion;
    for (const QString &text : typed) {
        QElapsedTimer timer;
        timer.start();
        waitForAnswer<HistoryEntry>([&](QObject *c, auto a) {
            store.complete({ History::queryWords(text), History::hostPrefix(text), 10 }, c, a);
        });
        completion.add(timer);
    }
    printPercentiles(out, QStringLiteral("completion in the store"), completion, 2, 10);

    // The same keystrokes typed into an address box: from the key press to the popup drawn.
    {
        QWidget host;
        host.resize(1000, 600);
        auto *box = new QComboBox(&host);
        box->setEditable(true);
        box->setGeometry(0, 0, 1000, 24);
        CompletionPopup popup(store, box, [] { return QStringList(); });
        host.show();
        QApplication::setActiveWindow(&host);
        box->setFocus();
        QApplication::processEvents();
        Samples typing;
        QString previous;
        for (const QString &text : typed) {
            if (!text.startsWith(previous) || text.size() != previous.size() + 1)
                box->lineEdit()->setText(text.chopped(1));
            previous = text;
            QEventLoop shown;
            const auto connection = QObject::connect(&popup, &CompletionPopup::suggestionsShown,
                                                     &shown, &QEventLoop::quit);
            QElapsedTimer timer;
            timer.start();
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text.right(1));
            QApplication::sendEvent(box, &press);
            shown.exec();
            popup.repaint();
            typing.add(timer);
            QObject::disconnect(connection);
        }
        printPercentiles(out, QStringLiteral("completion, key press to popup drawn"), typing, 2,
                         10);
    }

    // The history window: opened, then searched as the same keystrokes are typed.
    {
        Samples opening;
        for (int round = 0; round < 5; ++round) {
            QElapsedTimer timer;
            timer.start();
            HistoryWindow window(store);
            QEventLoop shown;
            QObject::connect(&window.model(), &HistoryModel::pageShown, &shown, &QEventLoop::quit);
            window.open();
            shown.exec();
            window.repaint();
            opening.add(timer);
        }
        printFigure(out, QStringLiteral("opening the history window"), opening, 150);
        HistoryWindow window(store);
        window.open();
        Samples searching;
        QString previous;
        for (const QString &text : typed) {
            if (!text.startsWith(previous) || text.size() != previous.size() + 1) {
                QEventLoop reset;
                QObject::connect(&window.model(), &HistoryModel::pageShown, &reset,
                                 &QEventLoop::quit);
                window.searchField()->setText(text.chopped(1));
                reset.exec();
            }
            previous = text;
            QEventLoop shown;
            const auto connection = QObject::connect(&window.model(), &HistoryModel::pageShown,
                                                     &shown, &QEventLoop::quit);
            QElapsedTimer timer;
            timer.start();
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text.right(1));
            QApplication::sendEvent(window.searchField(), &press);
            shown.exec();
            window.list()->viewport()->repaint();
            searching.add(timer);
            QObject::disconnect(connection);
        }
        printPercentiles(out, QStringLiteral("history window search, key press to list drawn"),
                         searching, 0, 30);
    }

    Samples search;
    for (const QString &text : typed) {
        QElapsedTimer timer;
        timer.start();
        waitForAnswer<HistoryVisit>([&](QObject *c, auto a) {
            VisitQuery query;
            query.words = History::queryWords(text);
            query.limit = 60;
            store.visits(query, c, a);
        });
        search.add(timer);
    }
    printPercentiles(out, QStringLiteral("window search in the store"), search, 0, 30);

    Samples record;
    for (int i = 0; i < 1000; ++i) {
        QElapsedTimer timer;
        timer.start();
        store.recordVisit(QStringLiteral("https://bench.example/%1").arg(i),
                          QStringLiteral("Bench"), QDateTime::currentMSecsSinceEpoch(),
                          VisitKind::Typed);
        record.add(timer);
    }
    printPercentiles(out, QStringLiteral("recording a visit, on the window's thread"), record, 1,
                     0);
    store.removeAddresses([] {
        QStringList urls;
        for (int i = 0; i < 1000; ++i)
            urls.append(QStringLiteral("https://bench.example/%1").arg(i));
        return urls;
    }());
    store.waitUntilIdle();
    return 0;
}
