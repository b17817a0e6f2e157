#include "platform/api/startupphase.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QPaintEvent>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <vector>

namespace {

Q_LOGGING_CATEGORY(lcStartup, "kestrav.startup", QtWarningMsg)
Q_LOGGING_CATEGORY(lcStartupPaint, "kestrav.startup.paint", QtWarningMsg)

// Started while the program is loaded, before main().
const QElapsedTimer loadedAt = [] {
    QElapsedTimer timer;
    timer.start();
    return timer;
}();

// A program that shows no start page by then runs the waiting work anyway.
constexpr qint64 StartPageWaitMs = 2000;

struct Waiting
{
    QPointer<QObject> context;
    std::function<void()> work;
};

bool startPageDone = false;
std::vector<Waiting> waiting;

class PaintWatch final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            const QRect area = static_cast<QPaintEvent *>(event)->rect();
            qCInfo(lcStartupPaint, "paint %s %s %dx%d %.1f", watched->metaObject()->className(),
                   qUtf8Printable(watched->objectName()), area.width(), area.height(),
                   double(loadedAt.nsecsElapsed()) / 1e6);
        }
        return false;
    }
};

QPointer<PaintWatch> paintWatch;

void runWaiting()
{
    startPageDone = true;
    std::vector<Waiting> due;
    due.swap(waiting);
    for (Waiting &item : due) {
        if (item.context)
            item.work();
    }
}

} // namespace

void afterStartPage(QObject *context, std::function<void()> work)
{
    if (startPageDone || loadedAt.elapsed() >= StartPageWaitMs) {
        QTimer::singleShot(0, context, std::move(work));
        return;
    }
    if (waiting.empty()) {
        QTimer::singleShot(StartPageWaitMs - loadedAt.elapsed(), QCoreApplication::instance(),
                           &runWaiting);
    }
    waiting.push_back({ context, std::move(work) });
}

void startPageShown()
{
    // The paints that show the page's first frame are the last ones watched.
    if (paintWatch)
        QTimer::singleShot(0, paintWatch.data(), [] { delete paintWatch; });
    if (startPageDone)
        return;
    // After the next paint: the page's first frame goes before the waiting work.
    QTimer::singleShot(0, QCoreApplication::instance(), &runWaiting);
}

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

void watchStartupPaints()
{
    if (!lcStartupPaint().isInfoEnabled() || paintWatch)
        return;
    paintWatch = new PaintWatch(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(paintWatch);
}
