#include "platform/desktop/spelling/spellcheck.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStringList>

namespace {

// The engine's own name for its dictionaries' folder beside the program; the installed
// program keeps it under its data folder (share is the datadir of the install rules).
const QString FolderName = QStringLiteral("qtwebengine_dictionaries");
const QString InstalledFolder = QStringLiteral("../share/kestrav/") + FolderName;
const QString Fallback = QStringLiteral("en-US");

// Dictionary names are language tags ("de-DE"); Qt's locale names use an underscore.
QString tagOf(const QLocale &locale)
{
    return locale.name().replace(QLatin1Char('_'), QLatin1Char('-'));
}

QString dictionaryFor(const QLocale &locale, const QStringList &available)
{
    const QString own = tagOf(locale);
    if (available.contains(own))
        return own;
    // de_AT without its own dictionary checks with de-DE rather than de-CH.
    const QString main = tagOf(QLocale(locale.language()));
    if (available.contains(main))
        return main;
    const QString language = own.section(QLatin1Char('-'), 0, 0);
    for (const QString &name : available) {
        if (name == language || name.startsWith(language + QLatin1Char('-')))
            return name;
    }
    return available.contains(Fallback) ? Fallback : QString();
}

} // namespace

SpellCheck spellCheckFor(const QString &programFolder, const QLocale &locale)
{
    const QDir program(programFolder);
    for (const QString &candidate : { FolderName, InstalledFolder }) {
        const QString folder = QDir::cleanPath(program.filePath(candidate));
        if (!QFileInfo(folder).isDir())
            continue;
        QStringList available;
        const auto files
            = QDir(folder).entryInfoList({ QStringLiteral("*.bdic") }, QDir::Files, QDir::Name);
        for (const QFileInfo &file : files)
            available << file.completeBaseName();
        return { folder, dictionaryFor(locale, available) };
    }
    return {};
}
