#include "app/processmemory.h"

#include <QTimer>

#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

void returnLargeBlocksWhenFreed()
{
#ifdef M_MMAP_THRESHOLD
    // glibc serves a large block by a mapping of its own, but raises that size each time such a
    // block is freed, up to 32 MiB. After a few large texts (a page's document, its source),
    // every later one comes from the heap, which keeps the memory once the text is gone: a
    // long session grew by tens of MiB that way. A fixed size keeps them mapped, so freeing
    // one returns it.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
}

void returnFreedPagesEvery(std::chrono::milliseconds interval, QObject *parent)
{
#ifdef M_MMAP_THRESHOLD
    // Small blocks freed in the middle of the heap keep their pages: the texts, lists and
    // pictures of the pages seen before. Over a long session a trim took 2.6 ms at the most.
    auto *timer = new QTimer(parent);
    QObject::connect(timer, &QTimer::timeout, timer, [] { malloc_trim(0); });
    timer->start(interval);
#else
    Q_UNUSED(interval);
    Q_UNUSED(parent);
#endif
}
