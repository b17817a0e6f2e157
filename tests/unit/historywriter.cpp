// A child process for the history's crash and two-copies tests: it records visits through the
// real store as the program does, and prints each one once the store has written it.
//
//   historywriter DB PREFIX COUNT   records PREFIX0 .. PREFIX(COUNT-1); COUNT 0 goes on forever

#include "history/historyrules.h"
#include "platform/desktop/history/sqlitehistorystore.h"

#include <cstdio>
#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.size() != 4) {
        std::fputs("usage: historywriter DB PREFIX COUNT\n", stderr);
        return 2;
    }
    SqliteHistoryStore store(args.at(1), History::frecency);
    QObject::connect(&store, &HistoryStore::trouble, [](const QString &line) {
        std::printf("trouble: %s\n", qPrintable(line));
        std::fflush(stdout);
    });
    const int count = args.at(3).toInt();
    for (int i = 0; count == 0 || i < count; ++i) {
        const QString url = QStringLiteral("https://%1.example/%2").arg(args.at(2)).arg(i);
        store.recordVisit(url, QStringLiteral("Page %1").arg(i),
                          QDateTime::currentMSecsSinceEpoch(), VisitKind::Followed);
        // A read is answered after the writes before it: then the visit is in the file.
        QEventLoop written;
        store.complete({ { QStringLiteral("zzznothing") }, QString(), 1 }, &written,
                       [&](const QList<HistoryEntry> &) { written.quit(); });
        written.exec();
        std::printf("%d\n", i);
        std::fflush(stdout);
    }
    QCoreApplication::processEvents();
    return 0;
}
