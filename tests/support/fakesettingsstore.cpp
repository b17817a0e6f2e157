#include "fakesettingsstore.h"

#include "platform/api/platformerror.h"

QString FakeSettingsStore::GetSetting(const QString &application, const QString &section,
                                      const QString &key) const
{
    if (m_unreadable)
        return QString();
    const qsizetype index = indexOf(application, section, key);
    return index < 0 ? QString() : m_entries.at(index).value;
}

QList<SettingsStore::Row> FakeSettingsStore::GetAllSettings(const QString &application,
                                                            const QString &section) const
{
    QList<Row> rows;
    if (m_unreadable)
        return rows;
    for (const Entry &entry : m_entries) {
        if (entry.application == application && entry.section == section)
            rows.append({ entry.key, entry.value });
    }
    return rows;
}

void FakeSettingsStore::SaveSetting(const QString &application, const QString &section,
                                    const QString &key, const QString &value)
{
    if (m_unreadable)
        throw PlatformError(ErrorCode::PathFileAccess,
                            QStringLiteral("The fake settings store cannot be read"));
    if (m_writesBeforeFailure == 0)
        throw PlatformError(ErrorCode::PathFileAccess,
                            QStringLiteral("The fake settings store refused to write %1").arg(key));
    if (m_writesBeforeFailure > 0)
        --m_writesBeforeFailure;

    if (const qsizetype index = indexOf(application, section, key); index >= 0)
        m_entries[index].value = value;
    else
        m_entries.append({ application, section, key, value });
    ++m_saveCount;
}

void FakeSettingsStore::DeleteSetting(const QString &application, const QString &section,
                                      const QString &key)
{
    if (m_unreadable || m_writesBeforeFailure == 0)
        throw PlatformError(
            ErrorCode::PathFileAccess,
            QStringLiteral("The fake settings store refused to delete %1").arg(key));
    if (const qsizetype index = indexOf(application, section, key); index >= 0)
        m_entries.removeAt(index);
}

void FakeSettingsStore::transaction(const std::function<void()> &work)
{
    const QList<Entry> before = m_entries;
    try {
        work();
    } catch (...) {
        m_entries = before;
        throw;
    }
}

void FakeSettingsStore::failWritesAfter(int count)
{
    m_writesBeforeFailure = qMax(count, 0);
}

void FakeSettingsStore::clearWriteFailure()
{
    m_writesBeforeFailure = -1;
}

void FakeSettingsStore::setUnreadable(bool unreadable)
{
    m_unreadable = unreadable;
}

qsizetype FakeSettingsStore::indexOf(const QString &application, const QString &section,
                                     const QString &key) const
{
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        const Entry &entry = m_entries.at(i);
        if (entry.application == application && entry.section == section && entry.key == key)
            return i;
    }
    return -1;
}
