// The history's searches on arbitrary entries and queries. Input: UTF-8 lines; the first is
// the typed query, each further line "address<TAB>title" is a visit. Every address that a
// search gives must hold every word of the query, and the searches must answer.

#include "fuzzsupport.h"
#include "history/historymatch.h"
#include "history/historyrules.h"
#include "platform/desktop/history/sqlitehistorystore.h"

#include <cstdio>
#include <cstdlib>
#include <limits>
#include <QEventLoop>
#include <QHash>
#include <QTimer>

namespace {

template<typename Row, typename Ask> QList<Row> answerOf(Ask ask)
{
    QList<Row> rows;
    bool answered = false;
    QEventLoop loop;
    ask(&loop, [&](const QList<Row> &found) {
        rows = found;
        answered = true;
        loop.quit();
    });
    QTimer::singleShot(10'000, &loop, &QEventLoop::quit);
    if (!answered)
        loop.exec();
    if (!answered)
        std::abort(); // a search that stalls
    return rows;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzSupport::ensureApplication();
    // Never destroyed: Qt's SQL registry is gone by the time static objects go at exit.
    static SqliteHistoryStore &store = *new SqliteHistoryStore(
        FuzzSupport::scratchPath(QStringLiteral("history")), History::frecency);
    static const auto said
        = QObject::connect(&store, &HistoryStore::trouble, [](const QString &line) {
              std::fprintf(stderr, "trouble: %s\n", qPrintable(line));
          });
    Q_UNUSED(said);

    const QStringList lines
        = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size))
              .split(QLatin1Char('\n'));
    store.clearRange(std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max());
    QHash<QString, QString> titles;
    for (qsizetype i = 1; i < lines.size() && i < 64; ++i) {
        const QString url = lines.at(i).section(QLatin1Char('\t'), 0, 0);
        const QString title = History::recordedTitle(lines.at(i).section(QLatin1Char('\t'), 1));
        if (url.isEmpty() || !FuzzSupport::isPlainText(url) || !FuzzSupport::isPlainText(title))
            continue;
        store.recordVisit(url, title, i, i % 2 ? VisitKind::Typed : VisitKind::Followed);
        if (!title.isEmpty() || !titles.contains(url))
            titles.insert(url, title);
    }
    const QString typed = lines.first();
    const QStringList words = History::queryWords(typed);
    const auto check = [&](const QString &url) {
        if (!titles.contains(url) || !History::matchesAll(words, titles.value(url), url)) {
            std::fprintf(stderr, "offered without a match: %s\n", qPrintable(url));
            std::abort();
        }
    };
    for (const HistoryEntry &entry : answerOf<HistoryEntry>([&](QObject *context, auto answer) {
             store.complete({ words, History::hostPrefix(typed), 10 }, context, answer);
         }))
        check(entry.url);
    for (const HistoryVisit &visit : answerOf<HistoryVisit>(
             [&](QObject *context, auto answer) { store.visits({ words }, context, answer); }))
        check(visit.url);
    return 0;
}
