#pragma once

#include "favorites/favoritesfile.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QStringList>

namespace Import {

// The favorites file after an import: the new addresses added in the file's own form (one
// trimmed address a line, in the system's encoding), the whole sorted as an add sorts it.
// Addresses listed already, in the file or earlier in the import, are skipped; entries
// already listed stay as they are; past Favorites::MaxEntries the rest is left out.
struct FavoritesMerge
{
    QByteArray fileBytes; // what to write; the file as it was when nothing was added
    QList<Favorites::FavoriteEntry> entries; // readEntries(fileBytes)
    qsizetype imported = 0;
    qsizetype alreadyThere = 0;
    qsizetype leftOut = 0;
};

FavoritesMerge mergeFavorites(const QByteArray &fileBytes, const QStringList &addresses,
                              const QCollator &collator = Favorites::favoritesCollator());

// "Imported 412 favorites (37 were already there)", followed by what was left out and by how
// many addresses were skipped as not web addresses.
QString importReport(const FavoritesMerge &merge, qsizetype notWeb);

struct FavoritesImportTexts
{
    Q_DECLARE_TR_FUNCTIONS(FavoritesImport)
};

} // namespace Import
