#include "import/qutebrowserbookmarks.h"

#include "import/importlimits.h"

#include <QDir>

namespace Import {

namespace {

enum class Layout { AddressFirst, AddressLast };

BookmarksRead readLines(const QString &path, Layout layout)
{
    BookmarksRead read;
    const QByteArray bytes = readBoundedFile(path, ImportLimits::MaxFileBytes, &read.error);
    if (!read.ok())
        return read;
    // A text file holds no NUL; a file that does is something else under this name.
    if (bytes.contains('\0')) {
        read.error = Texts::tr("%1 is not a text file.").arg(QDir::toNativeSeparators(path));
        return read;
    }
    BookmarkCollector collector(read);
    for (const QByteArray &rawLine : bytes.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty())
            continue;
        bool more = true;
        if (layout == Layout::AddressFirst) {
            const qsizetype space = line.indexOf(QLatin1Char(' '));
            more = space < 0 ? collector.add(line, QString())
                             : collector.add(line.left(space), line.mid(space + 1).trimmed());
        } else {
            const qsizetype space = line.lastIndexOf(QLatin1Char(' '));
            more = space < 0 ? collector.add(line, QString())
                             : collector.add(line.mid(space + 1), line.left(space).trimmed());
        }
        if (!more)
            break;
    }
    return read;
}

} // namespace

BookmarksRead readQutebrowserBookmarks(const QString &urlsPath)
{
    return readLines(urlsPath, Layout::AddressFirst);
}

BookmarksRead readQutebrowserQuickmarks(const QString &quickmarksPath)
{
    return readLines(quickmarksPath, Layout::AddressLast);
}

} // namespace Import
