#include "contentblocking/filtersources.h"

#include "contentblocking/filterparser.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

namespace Filters {

QString systemListFolder()
{
    return QStringLiteral(
        "/usr/share/chromium/extensions/ublock-origin/assets/thirdparties/easylist");
}

QString userListFolder(const QString &dataFolder)
{
    return dataFolder + QStringLiteral("/filters");
}

QString sourcesFileName()
{
    return QStringLiteral("sources.txt");
}

QStringList defaultLists(const QString &userFolder)
{
    QStringList lists;
    for (const QString &name :
         { QStringLiteral("easylist.txt"), QStringLiteral("easyprivacy.txt") }) {
        const QString path = systemListFolder() + u'/' + name;
        if (QFileInfo(path).isFile())
            lists.append(path);
    }
    if (userFolder.isEmpty())
        return lists;
    const QDir folder(userFolder);
    for (const QString &name :
         folder.entryList({ QStringLiteral("*.txt") }, QDir::Files, QDir::Name)) {
        if (name != sourcesFileName())
            lists.append(folder.filePath(name));
    }
    return lists;
}

QByteArray listsKey(const QStringList &paths)
{
    QByteArray key;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        key += path.toUtf8() + '\t' + QByteArray::number(info.exists() ? info.size() : -1) + '\t'
            + QByteArray::number(info.lastModified().toMSecsSinceEpoch()) + '\n';
    }
    return key;
}

std::unique_ptr<FilterEngine> compileLists(const QStringList &paths)
{
    std::unique_ptr<FilterEngine> engine;
    {
        RuleCollection rules;
        for (const QString &path : paths) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QByteArray data = file.readAll();
            parseList(std::string_view(data.constData(), std::size_t(data.size())), rules);
        }
        engine = std::make_unique<FilterEngine>(rules);
    }
#ifdef __GLIBC__
    // The parsed rules are some tens of megabytes in many small blocks, freed at once; the
    // allocator keeps such memory for the process unless asked to give it back.
    malloc_trim(0);
#endif
    return engine;
}

QList<QUrl> sourceAddresses(const QByteArray &sources)
{
    QList<QUrl> addresses;
    for (const QByteArray &line : sources.split('\n')) {
        const QByteArray text = line.trimmed();
        if (text.isEmpty() || text.startsWith('#') || text.startsWith('!'))
            continue;
        const QUrl address(QString::fromUtf8(text), QUrl::StrictMode);
        const QString scheme = address.scheme();
        if (address.isValid() && !address.host().isEmpty()
            && (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
            && !addresses.contains(address))
            addresses.append(address);
    }
    return addresses;
}

QString fetchedListName(const QUrl &address)
{
    QString stem = QFileInfo(address.path()).completeBaseName();
    stem.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_-]")), QStringLiteral("_"));
    if (stem.isEmpty())
        stem = address.host();
    const QByteArray hash
        = QCryptographicHash::hash(address.toEncoded(), QCryptographicHash::Sha1).toHex().left(8);
    return QStringLiteral("%1-%2.txt").arg(stem.left(40), QString::fromLatin1(hash));
}

} // namespace Filters
