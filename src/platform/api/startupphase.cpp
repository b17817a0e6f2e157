#include "platform/api/startupphase.h"

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QString>

namespace {

Q_LOGGING_CATEGORY(lcStartup, "kestrav.startup", QtWarningMsg)

// Started while the program is loaded, before main().
const QElapsedTimer loadedAt = [] {
    QElapsedTimer timer;
    timer.start();
    return timer;
}();

} // namespace

void markStartupPhase(const char *phase)
{
    qCInfo(lcStartup, "%s %.1f", phase, double(loadedAt.nsecsElapsed()) / 1e6);
}

void markStartupCaption(const QString &caption)
{
    qCInfo(lcStartup, "caption %s %.1f", qUtf8Printable(caption),
           double(loadedAt.nsecsElapsed()) / 1e6);
}

void markStartupPageSize(int width, int height)
{
    qCInfo(lcStartup, "page size %dx%d", width, height);
}
