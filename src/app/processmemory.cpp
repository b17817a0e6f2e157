#include "processmemory.h"

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
