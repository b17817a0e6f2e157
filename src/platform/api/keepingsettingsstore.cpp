#include "platform/api/keepingsettingsstore.h"

#include "platform/api/platformerror.h"

#include <QCoreApplication>

KeepingSettingsStore::KeepingSettingsStore(std::shared_ptr<SettingsStore> store, Notice noticed)
    : m_store(std::move(store))
    , m_noticed(std::move(noticed))
{
}

QString KeepingSettingsStore::GetSetting(const QString &application, const QString &section,
                                         const QString &key) const
{
    if (const Change *change = changeOf(application, section, key))
        return change->removed ? QString() : change->value;
    return m_store->GetSetting(application, section, key);
}

QList<SettingsStore::Row> KeepingSettingsStore::GetAllSettings(const QString &application,
                                                               const QString &section) const
{
    QList<Row> rows = m_store->GetAllSettings(application, section);
    for (const Change &change : m_changes) {
        if (change.application != application || change.section != section)
            continue;
        const auto found = std::find_if(rows.begin(), rows.end(),
                                        [&](const Row &row) { return row.first == change.key; });
        if (found != rows.end() && (change.removed || change.recreated))
            rows.erase(found);
        else if (found != rows.end())
            found->second = change.value;
        if ((found == rows.end() || change.recreated) && !change.removed)
            rows.append({ change.key, change.value });
    }
    return rows;
}

void KeepingSettingsStore::SaveSetting(const QString &application, const QString &section,
                                       const QString &key, const QString &value)
{
    write([&] { m_store->SaveSetting(application, section, key, value); },
          { application, section, key, value, false });
}

void KeepingSettingsStore::DeleteSetting(const QString &application, const QString &section,
                                         const QString &key)
{
    write([&] { m_store->DeleteSetting(application, section, key); },
          { application, section, key, QString(), true });
}

void KeepingSettingsStore::transaction(const std::function<void()> &work)
{
    if (m_inMemory) {
        work();
        return;
    }
    ++m_unitDepth;
    try {
        m_store->transaction(work);
    } catch (const PlatformError &refusal) {
        --m_unitDepth;
        if (m_unitDepth > 0)
            throw; // the outermost unit decides
        // The store undid the whole unit; it runs again, in memory.
        keepInMemory(refusal);
        work();
        return;
    }
    --m_unitDepth;
}

void KeepingSettingsStore::write(const std::function<void()> &toStore, const Change &change)
{
    if (!m_inMemory) {
        try {
            toStore();
            return;
        } catch (const PlatformError &refusal) {
            if (m_unitDepth > 0)
                throw;
            keepInMemory(refusal);
        }
    }
    const auto found = std::find_if(m_changes.begin(), m_changes.end(), [&](const Change &kept) {
        return kept.application == change.application && kept.section == change.section
            && kept.key == change.key;
    });
    if (found == m_changes.end()) {
        m_changes.append(change);
    } else if (found->removed && !change.removed) {
        m_changes.erase(found);
        m_changes.append(change);
        m_changes.last().recreated = true;
    } else {
        const bool recreated = found->recreated;
        *found = change;
        found->recreated = recreated && !change.removed;
    }
}

void KeepingSettingsStore::keepInMemory(const PlatformError &refusal)
{
    m_inMemory = true;
    if (m_noticed) {
        m_noticed(QCoreApplication::translate("KeepingSettingsStore",
                                              "%1; settings are kept only until the program ends.")
                      .arg(refusal.description()));
    }
}

const KeepingSettingsStore::Change *KeepingSettingsStore::changeOf(const QString &application,
                                                                   const QString &section,
                                                                   const QString &key) const
{
    for (const Change &change : m_changes) {
        if (change.application == application && change.section == section && change.key == key)
            return &change;
    }
    return nullptr;
}
