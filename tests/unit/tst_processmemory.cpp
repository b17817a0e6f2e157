#include "processmemory.h"

#include <cstdlib>
#include <malloc.h>
#include <QTest>

// Large blocks go back to the system when freed, however many came before.
class tst_ProcessMemory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
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
};

QTEST_GUILESS_MAIN(tst_ProcessMemory)
#include "tst_processmemory.moc"
