#include "import/jsonbookmarks.h"

#include "import/importlimits.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <vector>

namespace Import {

BookmarksRead readJsonBookmarks(const QString &path)
{
    BookmarksRead read;
    const QByteArray bytes = readBoundedFile(path, ImportLimits::MaxFileBytes, &read.error);
    if (!read.ok())
        return read;
    return readJsonBookmarks(bytes, QDir::toNativeSeparators(path));
}

BookmarksRead readJsonBookmarks(const QByteArray &bytes, const QString &shownName)
{
    BookmarksRead read;
    // Qt's parser refuses nesting deeper than 1024 levels by itself (DeepNesting).
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        read.error = Texts::tr("%1 is damaged: %2 at byte %3.")
                         .arg(shownName, parseError.errorString())
                         .arg(parseError.offset);
        return read;
    }
    const QJsonObject roots = document.object().value(QLatin1String("roots")).toObject();
    if (roots.isEmpty()) {
        read.error = Texts::tr("%1 holds no bookmark folders.").arg(shownName);
        return read;
    }

    // Depth first in the file's order, without recursion.
    BookmarkCollector collector(read);
    std::vector<QJsonValue> pending;
    const QStringList rootNames = roots.keys();
    // The bar first, then the menu and the rest, as the browsers show them.
    for (const QString &first : { QStringLiteral("other"), QStringLiteral("bookmark_menu"),
                                  QStringLiteral("bookmark_bar") }) {
        if (roots.contains(first))
            pending.push_back(roots.value(first));
    }
    for (const QString &name : rootNames) {
        if (name != QLatin1String("other") && name != QLatin1String("bookmark_menu")
            && name != QLatin1String("bookmark_bar"))
            pending.insert(pending.begin(), roots.value(name));
    }
    while (!pending.empty() && !collector.full()) {
        const QJsonObject node = pending.back().toObject();
        pending.pop_back();
        const QString type = node.value(QLatin1String("type")).toString();
        if (type == QLatin1String("url")) {
            collector.add(node.value(QLatin1String("url")).toString(),
                          node.value(QLatin1String("name")).toString());
            continue;
        }
        const QJsonArray children = node.value(QLatin1String("children")).toArray();
        for (qsizetype i = children.size() - 1; i >= 0; --i)
            pending.push_back(children.at(i));
    }
    return read;
}

} // namespace Import
