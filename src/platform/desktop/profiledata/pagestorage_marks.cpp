// The text of the mark that names what of each origin's storage goes at the next start.

#include "platform/desktop/profiledata/pageorigins.h"
#include "platform/desktop/profiledata/pagestorage.h"

#include <algorithm>

namespace PageStorage {

namespace {

struct KindWord
{
    OriginRemoval::Kind kind;
    QByteArray word;
};
const KindWord KindWords[] = {
    { OriginRemoval::LocalStorage, "local-storage" },
    { OriginRemoval::IndexedDb, "indexeddb" },
    { OriginRemoval::CacheStorage, "cache-storage" },
    { OriginRemoval::WebSql, "websql" },
};
const QByteArray WorkerWord = "service-worker=";
const QByteArray EmptiedWord = "emptied=";

} // namespace

QList<OriginRemoval> parseOriginMark(const QByteArray &text)
{
    QList<OriginRemoval> removals;
    for (const QByteArray &line : text.split('\n')) {
        const QList<QByteArray> words = line.simplified().split(' ');
        OriginRemoval removal;
        removal.origin = PageOrigins::parse(QString::fromUtf8(words.first()));
        if (removal.origin.isEmpty())
            continue;
        for (const QByteArray &word : words.mid(1)) {
            bool number = false;
            for (const KindWord &kind : KindWords) {
                if (word == kind.word)
                    removal.kinds |= kind.kind;
            }
            if (word.startsWith(WorkerWord)) {
                const qint64 worker = word.mid(WorkerWord.size()).toLongLong(&number);
                if (number && worker >= 0 && !removal.serviceWorkers.contains(worker))
                    removal.serviceWorkers.append(worker);
            } else if (word.startsWith(EmptiedWord)) {
                const qint64 moment = word.mid(EmptiedWord.size()).toLongLong(&number);
                if (number && moment > 0)
                    removal.emptiedAt = std::max(removal.emptiedAt, moment);
            }
        }
        if (!removal.isEmpty())
            join(removals, removal);
    }
    return removals;
}

QByteArray originMarkText(const QList<OriginRemoval> &removals)
{
    QByteArray text;
    for (const OriginRemoval &removal : removals) {
        text += removal.origin.toUtf8();
        for (const KindWord &kind : KindWords) {
            if (removal.kinds & kind.kind)
                text += ' ' + kind.word;
        }
        for (const qint64 worker : removal.serviceWorkers)
            text += ' ' + WorkerWord + QByteArray::number(worker);
        if (removal.emptiedAt > 0)
            text += ' ' + EmptiedWord + QByteArray::number(removal.emptiedAt);
        text += '\n';
    }
    return text;
}

void join(QList<OriginRemoval> &removals, const OriginRemoval &removal)
{
    const auto known
        = std::find_if(removals.begin(), removals.end(), [&](const OriginRemoval &marked) {
              return marked.origin == removal.origin;
          });
    if (known == removals.end()) {
        removals.append(removal);
        return;
    }
    known->kinds |= removal.kinds;
    for (const qint64 worker : removal.serviceWorkers) {
        if (!known->serviceWorkers.contains(worker))
            known->serviceWorkers.append(worker);
    }
    known->emptiedAt = std::max(known->emptiedAt, removal.emptiedAt);
}

} // namespace PageStorage
