// Kestrav with optional stores left out, for the start-up budget of each: the same start as
// the program's, on the desktop platform, with each store named on the command line replaced
// by one that keeps nothing and answers nothing.
//
//   kestrav_without [history]
//
// The real history store is still made with the platform and let go before the window is
// built: what it costs then (a thread started and joined) stays in the figure without it.

#include "app/kestravmain.h"
#include "platform/api/historystore.h"
#include "platform/api/platform.h"

#include <cstring>

namespace {

class NoHistory final : public HistoryStore
{
public:
    void recordVisit(const QString &, const QString &, qint64, VisitKind) override { }
    void setTitle(const QString &, const QString &) override { }
    void removeAddresses(const QStringList &) override { }
    void removeVisits(const QList<qint64> &) override { }
    void clearRange(qint64, qint64) override { }
    void complete(const CompletionQuery &, QObject *,
                  std::function<void(const QList<HistoryEntry> &)>) override
    {
    }
    void visits(const VisitQuery &, QObject *,
                std::function<void(const QList<HistoryVisit> &)>) override
    {
    }
};

} // namespace

int main(int argc, char *argv[])
{
    bool withoutHistory = false;
    for (int i = 1; i < argc; ++i)
        withoutHistory = withoutHistory || std::strcmp(argv[i], "history") == 0;
    return kestravMain(argc, argv, [&](Platform &platform) {
        if (withoutHistory)
            platform.history = std::make_shared<NoHistory>();
    });
}
