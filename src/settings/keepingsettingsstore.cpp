#include "settings/keepingsettingsstore.h"

#include "platform/api/atomicfile.h"
#include "platform/api/failure.h"
#include "platform/api/platformerror.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

QString keptUntilTheEnd(const PlatformError &refusal)
{
    return QCoreApplication::translate("KeepingSettingsStore",
                                       "%1; settings are kept only until the program ends.")
        .arg(refusal.description());
}

} // namespace

KeepingSettingsStore::KeepingSettingsStore(std::shared_ptr<SettingsStore> store, Notice noticed)
    : m_store(std::move(store))
    , m_noticed(std::move(noticed))
{
}

void KeepingSettingsStore::setNoticed(Notice noticed)
{
    m_noticed = std::move(noticed);
    if (m_noticed && !m_trouble.isEmpty())
        m_noticed(m_trouble);
}

void KeepingSettingsStore::say(const QString &trouble)
{
    m_trouble = trouble;
    if (m_noticed)
        m_noticed(trouble);
}

KeepingSettingsStore::~KeepingSettingsStore()
{
    if (m_waitingForRoom)
        Failure::skip([this] { writeBack(); });
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
    if (m_waitingForRoom && m_unitDepth == 0)
        writeBack();
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
    if (m_waitingForRoom && m_unitDepth == 0)
        writeBack();
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
    m_waitingForRoom = refusal.number() == ErrorCode::DiskFull;
    if (m_waitingForRoom) {
        say(AtomicFile::diskFullText(
            QFileInfo(m_store->files().value(0)).absolutePath(),
            QCoreApplication::translate("KeepingSettingsStore",
                                        "settings are kept in memory until there is room.")));
        return;
    }
    say(keptUntilTheEnd(refusal));
}

bool KeepingSettingsStore::writeBack()
{
    try {
        m_store->transaction([this] {
            for (const Change &change : std::as_const(m_changes)) {
                // A key saved again after its removal enumerates last, as a new key does.
                if (change.removed || change.recreated)
                    m_store->DeleteSetting(change.application, change.section, change.key);
                if (!change.removed)
                    m_store->SaveSetting(change.application, change.section, change.key,
                                         change.value);
            }
        });
    } catch (const PlatformError &refusal) {
        // Still full, the next write tries again; any other refusal ends the tries for the run.
        if (refusal.number() != ErrorCode::DiskFull) {
            m_waitingForRoom = false;
            say(keptUntilTheEnd(refusal));
        }
        return false;
    }
    m_changes.clear();
    m_inMemory = false;
    m_waitingForRoom = false;
    say(QString());
    return true;
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
