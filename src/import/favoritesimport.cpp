#include "import/favoritesimport.h"

#include "platform/api/spacetrim.h"
#include "platform/api/systemencoding.h"

#include <QLocale>
#include <QSet>
#include <QUrl>

namespace Import {

namespace {

const QByteArray LineEnd = QByteArrayLiteral("\r\n");

// The address as the file can hold it: one line, spaces trimmed, and readable back in the
// system's encoding (an address that is not is kept in its percent-encoded form).
QString storable(const QString &address)
{
    QString line = trimSpaces(address);
    if (line.contains(QLatin1Char('\r')) || line.contains(QLatin1Char('\n'))
        || fromSystemEncoding(toSystemEncoding(line)) != line)
        line = QString::fromLatin1(QUrl(line).toEncoded());
    return line;
}

} // namespace

FavoritesMerge mergeFavorites(const QByteArray &fileBytes, const QStringList &addresses,
                              const QCollator &collator)
{
    FavoritesMerge merge;
    merge.fileBytes = fileBytes;
    const QList<Favorites::FavoriteEntry> listed = Favorites::readEntries(fileBytes);
    // The list compares its items trimmed, exactly (case matters), as an add does.
    QSet<QString> known;
    known.reserve(listed.size() + addresses.size());
    for (const Favorites::FavoriteEntry &entry : listed)
        known.insert(trimSpaces(entry.text));
    const qsizetype room = std::max<qsizetype>(0, Favorites::MaxEntries - listed.size());

    QByteArray added;
    for (const QString &address : addresses) {
        const QString line = storable(address);
        if (line.isEmpty())
            continue;
        if (known.contains(line)) {
            ++merge.alreadyThere;
            continue;
        }
        known.insert(line);
        if (merge.imported == room) {
            ++merge.leftOut;
            continue;
        }
        added.append(LineEnd).append(toSystemEncoding(line));
        ++merge.imported;
    }
    if (merge.imported == 0) {
        merge.entries = listed;
        return merge;
    }
    // As an add does: the new lines after the old content, then the whole file sorted.
    const QByteArray merged = fileBytes.isEmpty() ? added.mid(LineEnd.size()) : fileBytes + added;
    std::optional<QByteArray> sorted = Favorites::SortFavoritesFile(merged, collator);
    if (!sorted) {
        // Only a file over the bound already gets here: it stays as it is.
        merge.leftOut += merge.imported;
        merge.imported = 0;
        merge.entries = listed;
        return merge;
    }
    merge.fileBytes = std::move(*sorted);
    merge.entries = Favorites::readEntries(merge.fileBytes);
    return merge;
}

QString importReport(const FavoritesMerge &merge, qsizetype notWeb)
{
    using T = FavoritesImportTexts;
    QString report = T::tr("Imported %1 favorites (%2 were already there)")
                         .arg(merge.imported)
                         .arg(merge.alreadyThere);
    if (merge.leftOut > 0 || notWeb > 0)
        report += QLatin1Char('.');
    if (merge.leftOut > 0)
        report += QLatin1Char(' ')
            + T::tr("%1 were left out: the list holds at most %2 entries.")
                  .arg(merge.leftOut)
                  .arg(QLocale().toString(Favorites::MaxEntries));
    if (notWeb > 0)
        report += QLatin1Char(' ')
            + (notWeb == 1 ? T::tr("1 address that is not a web address (javascript:, data:, "
                                   "file: or the like) was skipped.")
                           : T::tr("%1 addresses that are not web addresses (javascript:, data:, "
                                   "file: and the like) were skipped.")
                                 .arg(notWeb));
    return report;
}

} // namespace Import
