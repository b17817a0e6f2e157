#include "favoritesfile.h"

#include "platformerror.h"
#include "systemencoding.h"

#include <algorithm>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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

QList<QByteArray> splitLines(const QByteArray &fileBytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    const qsizetype size = fileBytes.size();
    for (qsizetype pos = 0; pos < size; ++pos) {
        if (fileBytes.at(pos) != '\r')
            continue;
        lines.append(fileBytes.sliced(start, pos - start));
        if (pos + 1 < size && fileBytes.at(pos + 1) == '\n')
            ++pos;
        start = pos + 1;
    }
    // The last line needs no line end; a line end at the very end starts no new line.
    if (start < size)
        lines.append(fileBytes.sliced(start));
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

AddResult addFavorite(const QByteArray &fileBytes, const QStringList &listItems,
                      const QString &address, const QCollator &collator)
{
    // The duplicate test sees the address as typed, so " x" is not a duplicate of a listed
    // "x"; what is stored is always trimmed.
    if (!fileBytes.isEmpty() && !listItems.isEmpty() && FindFavorite(listItems, address))
        return { AddOutcome::Duplicate, {} };

    const QByteArray added = toSystemEncoding(trimSpaces(address));
    const QByteArray merged = fileBytes.isEmpty() ? added : fileBytes + lineEnd + added;
    std::optional<QByteArray> sorted = SortFavoritesFile(merged, collator);
    if (!sorted)
        return { AddOutcome::TooManyEntries, {} };
    return { AddOutcome::Added, std::move(*sorted) };
}

std::optional<QByteArray> SortFavoritesFile(const QByteArray &fileBytes, const QCollator &collator)
{
    QList<QByteArray> lines = splitLines(fileBytes);
    qsizetype entryCount = 0;
    QStringList texts;
    texts.reserve(lines.size());
    for (QByteArray &line : lines) {
        line = trimSpaces(line);
        if (!line.isEmpty())
            ++entryCount;
        texts.append(fromSystemEncoding(line));
    }
    if (entryCount > MaxEntries)
        return std::nullopt;

    // Blank lines take part in the sort although they are dropped afterwards: they sort
    // first, and the swaps that bring them forward move the other entries.
    QByteArray result;
    result.reserve(fileBytes.size() + lines.size() + 2);
    for (const qsizetype index : SortEntries(texts, collator)) {
        if (!lines[index].isEmpty())
            result.append(lines[index]).append(lineEnd);
    }
    return result;
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
    QSaveFile file(path);
    // commit() renames a complete temporary file over the old one, so a failure at any
    // point leaves the old content in place.
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        throw PlatformError(ErrorCode::PathFileAccess,
                            QCoreApplication::translate("Favorites", "Cannot write %1: %2")
                                .arg(nativePath(path), file.errorString()));
    }
}

} // namespace Favorites
