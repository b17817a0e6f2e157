#include "capture/pagetextname.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace Capture {

namespace {

// Longest file name, in bytes of the name as the file system stores it.
constexpr qsizetype MaxNameBytes = 255;

bool isSafeTitle(const QString &title)
{
    if (title.isEmpty() || title == QLatin1String(".") || title == QLatin1String(".."))
        return false;
    for (const QChar c : title) {
        if (c == u'/' || c == u'\\' || c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

} // namespace

std::optional<QString> pageTextFileName(const QString &title)
{
    return pageFileName(title, QStringLiteral(".txt"));
}

std::optional<QString> pageFileName(const QString &title, const QString &extension)
{
    if (!isSafeTitle(title))
        return std::nullopt;
    const QString name = title + extension;
    if (name.toUtf8().size() > MaxNameBytes)
        return std::nullopt;
    return name;
}

namespace {

// The path a name comes to once every link on the way is followed.
QString resolved(const QString &name)
{
    const QFileInfo file(name);
    if (file.exists())
        return file.canonicalFilePath();
    const QString folder = file.absoluteDir().canonicalPath();
    return folder.isEmpty() ? file.absoluteFilePath() : QDir(folder).filePath(file.fileName());
}

} // namespace

bool isKeptFile(const QString &name, const QStringList &keptFiles)
{
    const QString target = resolved(name);
    for (const QString &kept : keptFiles) {
        if (!kept.isEmpty() && resolved(kept) == target)
            return true;
    }
    return false;
}

} // namespace Capture
