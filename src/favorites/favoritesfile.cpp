#include "favorites/favoritesfile.h"

#include "platform/api/atomicfile.h"
#include "platform/api/platformerror.h"
#include "platform/api/systemencoding.h"

#include <algorithm>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace Favorites {

namespace {

const QByteArray lineEnd = QByteArrayLiteral("\r\n");

bool isBlank(const QByteArray &line)
{
    return std::all_of(line.cbegin(), line.cend(), [](char c) { return c == ' '; });
}

QString nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

namespace {

// Gives each line of the file to take, blank ones included, without copying it.
template<typename Take> void forEachLine(QByteArrayView fileBytes, Take take)
{
    qsizetype start = 0;
    const qsizetype size = fileBytes.size();
    for (qsizetype pos = 0; pos < size; ++pos) {
        if (fileBytes.at(pos) != '\r')
            continue;
        take(fileBytes.sliced(start, pos - start));
        if (pos + 1 < size && fileBytes.at(pos + 1) == '\n')
            ++pos;
        start = pos + 1;
    }
    // The last line needs no line end; a line end at the very end starts no new line.
    if (start < size)
        take(fileBytes.sliced(start));
}

} // namespace

QList<QByteArray> splitLines(const QByteArray &fileBytes)
{
    QList<QByteArray> lines;
    forEachLine(fileBytes, [&](QByteArrayView line) { lines.append(line.toByteArray()); });
    return lines;
}

QList<FavoriteEntry> readEntries(const QByteArray &fileBytes)
{
    QList<FavoriteEntry> entries;
    for (const QByteArray &line : splitLines(fileBytes)) {
        if (!isBlank(line))
            entries.append({ line, fromSystemEncoding(line) });
    }
    return entries;
}

bool FindFavorite(const QStringList &listItems, const QString &entry)
{
    return std::any_of(listItems.cbegin(), listItems.cend(), [&entry](const QString &item) {
        return trimSpaces(QStringView(item)) == entry;
    });
}

namespace {

// The sorted file, and its entries as they were decoded for the sort.
std::optional<AddResult> sortFile(const QByteArray &fileBytes, const QCollator &collator)
{
    QList<QByteArray> lines; // trimmed
    QStringList texts;
    qsizetype entryCount = 0;
    forEachLine(fileBytes, [&](QByteArrayView line) {
        lines.append(trimSpaces(line).toByteArray());
        if (!lines.constLast().isEmpty())
            ++entryCount;
        texts.append(fromSystemEncoding(lines.constLast()));
    });
    if (entryCount > MaxEntries)
        return std::nullopt;

    // Blank lines take part in the sort although they are dropped afterwards: they sort
    // first, and the swaps that bring them forward move the other entries.
    AddResult result;
    result.fileBytes.reserve(fileBytes.size() + lines.size() + 2);
    result.entries.reserve(entryCount);
    for (const qsizetype index : SortEntries(texts, collator)) {
        if (lines[index].isEmpty())
            continue;
        result.fileBytes.append(lines[index]).append(lineEnd);
        result.entries.append({ lines[index], texts[index] });
    }
    return result;
}

} // namespace

AddResult addFavorite(const QByteArray &fileBytes, const QStringList &listItems,
                      const QString &address, const QCollator &collator)
{
    // The duplicate test sees the address as typed, so " x" is not a duplicate of a listed
    // "x"; what is stored is always trimmed.
    if (!fileBytes.isEmpty() && !listItems.isEmpty() && FindFavorite(listItems, address))
        return { AddOutcome::Duplicate, {}, {} };

    const QByteArray added = toSystemEncoding(trimSpaces(address));
    const QByteArray merged = fileBytes.isEmpty() ? added : fileBytes + lineEnd + added;
    std::optional<AddResult> sorted = sortFile(merged, collator);
    if (!sorted)
        return { AddOutcome::TooManyEntries, {}, {} };
    return std::move(*sorted);
}

std::optional<QByteArray> SortFavoritesFile(const QByteArray &fileBytes, const QCollator &collator)
{
    std::optional<AddResult> sorted = sortFile(fileBytes, collator);
    if (!sorted)
        return std::nullopt;
    return std::move(sorted->fileBytes);
}

QByteArray fileBytesFromItems(const QList<QByteArray> &rawItems)
{
    qsizetype size = 0;
    for (const QByteArray &item : rawItems)
        size += item.size() + lineEnd.size();
    QByteArray result;
    result.reserve(size);
    for (const QByteArray &item : rawItems)
        result.append(item).append(lineEnd);
    return result;
}

QByteArray readFavoritesFile(const QString &path)
{
    QFile file(path);
    if (!file.exists()) {
        throw PlatformError(
            ErrorCode::FileNotFound,
            QCoreApplication::translate("Favorites", "File not found: %1").arg(nativePath(path)));
    }
    // A folder, a device or a pipe in the file's place (or at the end of its link) would give
    // nothing, or never end.
    if (!QFileInfo(path).isFile()) {
        throw PlatformError(
            ErrorCode::PathFileAccess,
            QCoreApplication::translate("Favorites", "Cannot read %1: %2")
                .arg(nativePath(path), QCoreApplication::translate("Favorites", "not a file")));
    }
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        throw PlatformError(ErrorCode::PathFileAccess,
                            QCoreApplication::translate("Favorites", "Cannot read %1: %2")
                                .arg(nativePath(path), file.errorString()));
    }
    return bytes;
}

void writeFavoritesFile(const QString &path, const QByteArray &bytes)
{
    const AtomicFile::Outcome outcome
        = AtomicFile::write(path, bytes, AtomicFile::Links::StayInFolder);
    if (outcome.diskFull) {
        throw PlatformError(
            ErrorCode::DiskFull,
            AtomicFile::diskFullText(
                QFileInfo(path).absolutePath(),
                QCoreApplication::translate("Favorites", "the favorites were not changed.")));
    }
    if (!outcome.written()) {
        throw PlatformError(ErrorCode::PathFileAccess,
                            QCoreApplication::translate("Favorites", "Cannot write %1: %2")
                                .arg(nativePath(path), outcome.failure));
    }
}

} // namespace Favorites
