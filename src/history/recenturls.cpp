#include "history/recenturls.h"

#include "platform/api/failure.h"
#include "platform/api/settingsstore.h"
#include "platform/api/spacetrim.h"

namespace RecentUrls {

QString application()
{
    return QStringLiteral("ZivaruruviVO");
}

QString section()
{
    return QStringLiteral("URL History");
}

QString keyName(int n)
{
    return QStringLiteral("URLHistory") + QString::number(n);
}

QStringList read(const SettingsStore &store)
{
    QStringList addresses;
    QString first;
    Failure::skip([&] { first = store.GetSetting(application(), section(), keyName(1)); });
    if (first.isEmpty())
        return addresses;
    QList<SettingsStore::Row> rows;
    Failure::skip([&] { rows = store.GetAllSettings(application(), section()); });
    for (const SettingsStore::Row &row : rows)
        addresses.append(row.second);
    return addresses;
}

void write(SettingsStore &store, const QString &inURL)
{
    if (trimSpaces(inURL).isEmpty())
        return;
    store.transaction([&] {
        // From the tail towards the head, so that each key is read before it is overwritten;
        // an empty key is not copied, and the key below it keeps its value.
        for (int i = 9; i >= 1; --i) {
            const QString value = store.GetSetting(application(), section(), keyName(i));
            if (!value.isEmpty())
                store.SaveSetting(application(), section(), keyName(i + 1), value);
        }
        store.SaveSetting(application(), section(), keyName(1), inURL);
    });
}

} // namespace RecentUrls
