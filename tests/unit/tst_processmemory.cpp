#include "app/processmemory.h"

#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <QFile>
#include <QTest>
#include <vector>

namespace {

double residentMiB()
{
    QFile status(QStringLiteral("/proc/self/statm"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    return status.readAll().split(' ').value(1).toDouble() * 4096 / (1024 * 1024);
}

} // namespace

class tst_ProcessMemory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Large blocks go back to the system when freed, however many came before.
    void largeBlocksStayMappedAfterOthersWereFreed()
    {
        returnLargeBlocksWhenFreed();
        // Left to itself, glibc would serve the second and later blocks of this size from the
        // heap once the first was freed, and keep their memory.
        for (int round = 0; round < 3; ++round) {
            const std::size_t mappedBefore = mallinfo2().hblkhd;
            void *block = std::malloc(4 * 1024 * 1024);
            QVERIFY(block);
            QVERIFY2(mallinfo2().hblkhd >= mappedBefore + 4 * 1024 * 1024,
                     qPrintable(QStringLiteral("round %1 came from the heap").arg(round)));
            std::free(block);
            QCOMPARE(mallinfo2().hblkhd, mappedBefore);
        }
    }

    // Pages freed between blocks still in use go back on the timer.
    void freedPagesGoBackOnTheTimer()
    {
        std::vector<void *> blocks;
        for (int i = 0; i < 32 * 1024; ++i) {
            blocks.push_back(std::malloc(1000));
            std::memset(blocks.back(), 1, 1000);
        }
        // Every 64th block stays, so no free stretch reaches the heap's end.
        std::vector<void *> kept;
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            if (i % 64 == 63)
                kept.push_back(blocks[i]);
            else
                std::free(blocks[i]);
        }
        const double before = residentMiB();
        QObject owner;
        returnFreedPagesEvery(std::chrono::milliseconds(10), &owner);
        QTRY_VERIFY2(residentMiB() < before - 16,
                     qPrintable(QStringLiteral("%1 MiB resident").arg(residentMiB())));
        for (void *block : kept)
            std::free(block);
    }
};

QTEST_GUILESS_MAIN(tst_ProcessMemory)
#include "tst_processmemory.moc"
