#include "import/bookmarks.h"

#include "import/importlimits.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QUrl>

namespace Import {

bool isWebAddress(const QString &url)
{
    const QUrl parsed(url);
    const QString scheme = parsed.scheme();
    return parsed.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        && !parsed.host().isEmpty();
}

bool BookmarkCollector::full() const
{
    return m_read.bookmarks.size() + m_read.notWeb >= ImportLimits::MaxItems;
}

bool BookmarkCollector::add(QString url, QString title)
{
    if (full())
        return false;
    url = url.trimmed();
    // An address longer than the cap is no address a person keeps; it counts as not one.
    if (url.size() > ImportLimits::MaxFieldChars || !isWebAddress(url)) {
        ++m_read.notWeb;
        return !full();
    }
    title.truncate(ImportLimits::MaxFieldChars);
    m_read.bookmarks.append({ std::move(url), std::move(title) });
    return !full();
}

QByteArray readBoundedFile(const QString &path, qint64 maxBytes, QString *error)
{
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (!info.exists()) {
        *error = Texts::tr("%1 was not found.").arg(shown);
        return {};
    }
    // A folder, a device or a pipe would give nothing, or never end.
    if (!info.isFile()) {
        *error = Texts::tr("%1 is not a file.").arg(shown);
        return {};
    }
    if (info.size() > maxBytes) {
        *error = Texts::tr("%1 is too large to be a bookmarks or passwords file (%2; at most %3).")
                     .arg(shown, QLocale().formattedDataSize(info.size()),
                          QLocale().formattedDataSize(maxBytes));
        return {};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = Texts::tr("%1 cannot be read: %2").arg(shown, file.errorString());
        return {};
    }
    // The file may grow after its size was looked at.
    QByteArray bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        *error = Texts::tr("%1 cannot be read: %2").arg(shown, file.errorString());
        return {};
    }
    if (bytes.size() > maxBytes) {
        *error = Texts::tr("%1 is too large to be a bookmarks or passwords file (at most %2).")
                     .arg(shown, QLocale().formattedDataSize(maxBytes));
        return {};
    }
    error->clear();
    return bytes;
}

} // namespace Import
