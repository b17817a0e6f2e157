#include "recenturls.h"

#include "settingsstore.h"

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

static QString trimmedSpaces(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

void write(SettingsStore &store, const QString &inURL)
{
    if (trimmedSpaces(inURL).isEmpty())
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
