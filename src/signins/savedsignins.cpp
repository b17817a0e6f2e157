#include "signins/savedsignins.h"

#include "platform/api/settingsstore.h"

#include <algorithm>

namespace {

// The settings application every section of the program is kept under.
const QString Application = QStringLiteral("ZivaruruviVO");
const QString SignInsSection = QStringLiteral("Sign-ins");
const QString NeverSection = QStringLiteral("Sign-ins never");

// A tab cannot appear in an origin, so the key splits back into its two parts.
QString rowKey(const SavedSignIns::Entry &entry)
{
    return entry.origin + QLatin1Char('\t') + entry.userName;
}

} // namespace

SavedSignIns::SavedSignIns(SettingsStore &store)
    : m_store(store)
{
}

QList<SavedSignIns::Entry> SavedSignIns::all() const
{
    QList<Entry> entries;
    for (const SettingsStore::Row &row : m_store.GetAllSettings(Application, SignInsSection)) {
        const qsizetype tab = row.first.indexOf(QLatin1Char('\t'));
        if (tab > 0)
            entries.append({ row.first.left(tab), row.first.mid(tab + 1) });
    }
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        return std::tie(a.origin, a.userName) < std::tie(b.origin, b.userName);
    });
    return entries;
}

QList<SavedSignIns::Entry> SavedSignIns::matching(const QString &text) const
{
    QList<Entry> entries = all();
    entries.removeIf([&text](const Entry &entry) {
        return !entry.origin.contains(text, Qt::CaseInsensitive)
            && !entry.userName.contains(text, Qt::CaseInsensitive);
    });
    return entries;
}

QStringList SavedSignIns::userNames(const QString &origin) const
{
    QStringList names;
    for (const Entry &entry : all()) {
        if (entry.origin == origin)
            names.append(entry.userName);
    }
    return names;
}

bool SavedSignIns::contains(const Entry &entry) const
{
    return all().contains(entry);
}

void SavedSignIns::add(const Entry &entry)
{
    // The value is a marker only: the password never goes to the settings.
    m_store.SaveSetting(Application, SignInsSection, rowKey(entry), QStringLiteral("1"));
}

void SavedSignIns::remove(const Entry &entry)
{
    m_store.DeleteSetting(Application, SignInsSection, rowKey(entry));
}

void SavedSignIns::removeAll()
{
    const QList<Entry> entries = all();
    m_store.transaction([&] {
        for (const Entry &entry : entries)
            remove(entry);
    });
}

bool SavedSignIns::neverFor(const QString &origin) const
{
    return !m_store.GetSetting(Application, NeverSection, origin).isEmpty();
}

void SavedSignIns::setNeverFor(const QString &origin)
{
    m_store.SaveSetting(Application, NeverSection, origin, QStringLiteral("1"));
}

QString SavedSignIns::keyringKey(const Entry &entry)
{
    return entry.origin + QLatin1Char(' ') + entry.userName;
}
