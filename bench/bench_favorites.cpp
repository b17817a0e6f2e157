#include "favorites/favoritesfile.h"
#include "favorites/sortentries.h"
#include "literalselectionsort.h"
#include "randomfavorites.h"

#include <cstdlib>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

using namespace Favorites;

namespace {

double millisecondsSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);

    QRandomGenerator random(20240607);
    const QList<QByteArray> entries = randomFavorites(int(MaxEntries) - 1, random);
    QByteArray file;
    for (const QByteArray &entry : entries)
        file += entry + "\r\n";
    const QString address = QStringLiteral("https://www.added.example/");
    const QCollator collator = favoritesCollator();

    out << "locale " << collator.locale().name() << ", " << entries.size()
        << " entries + 1 added\n";

    QElapsedTimer timer;
    timer.start();
    const AddResult added = addFavorite(file, {}, address, collator);
    const double addMs = millisecondsSince(timer);
    if (added.outcome != AddOutcome::Added || readEntries(added.fileBytes).size() != MaxEntries) {
        out << "FAILED: the add did not produce " << MaxEntries << " entries\n";
        return EXIT_FAILURE;
    }
    out << "one add (merge, trim, rank, sort, serialise): " << addMs << " ms\n";

    // The same lines the add sorts: the file, a blank line from its last line end, the address.
    QList<QByteArray> lines = splitLines(file + "\r\n" + address.toUtf8());
    QStringList texts;
    for (QByteArray &line : lines) {
        line = trimSpaces(line);
        texts.append(QString::fromUtf8(line));
    }

    timer.restart();
    const QList<int> ranks = collationRanks(texts, collator);
    const double rankMs = millisecondsSince(timer);
    timer.restart();
    const QList<qsizetype> fast = selectionSortOrder(ranks);
    const double fastMs = millisecondsSince(timer);
    out << "  of which collation ranks: " << rankMs << " ms, selection order: " << fastMs
        << " ms\n";

    // The literal sort over the same ranks: the quadratic scan alone, with comparisons as
    // cheap as they can be.
    timer.restart();
    const QList<qsizetype> literal = literalSelectionSort(
        texts.size(), [&ranks](qsizetype a, qsizetype b) { return ranks[a] < ranks[b]; });
    const double literalMs = millisecondsSince(timer);
    out << "literal selection sort over ranks: " << literalMs << " ms\n";

    // The literal sort as it really runs has a locale comparison in its inner loop.
    constexpr int sampleCount = 200000;
    timer.restart();
    for (int k = 0; k < sampleCount; ++k)
        collator.compare(texts[k % texts.size()], texts[(k * 7919 + 1) % texts.size()]);
    const double compareNs = double(timer.nsecsElapsed()) / sampleCount;
    const double pairs = double(texts.size()) * double(texts.size() - 1) / 2;
    out << "literal selection sort with locale comparisons: about " << pairs * compareNs / 1e9
        << " s (" << compareNs << " ns per comparison, " << pairs << " comparisons)\n";

    QByteArray literalFile;
    for (const qsizetype index : literal) {
        if (!lines[index].isEmpty())
            literalFile += lines[index] + "\r\n";
    }
    if (fast != literal || literalFile != added.fileBytes) {
        out << "FAILED: the fast and the literal order differ\n";
        return EXIT_FAILURE;
    }
    out << "orders identical\n";
    return EXIT_SUCCESS;
}
