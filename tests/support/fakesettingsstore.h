#pragma once

#include "platform/api/settingsstore.h"

// An in-memory settings store with the real store's behaviour, and switches for its
// failures: writes that fail part-way through a sequence, and a store that cannot be read.
class FakeSettingsStore final : public SettingsStore
{
public:
    QString GetSetting(const QString &application, const QString &section,
                       const QString &key) const override;
    QList<Row> GetAllSettings(const QString &application, const QString &section) const override;
    void SaveSetting(const QString &application, const QString &section, const QString &key,
                     const QString &value) override;
    QStringList files() const override { return keptFiles; }
    void DeleteSetting(const QString &application, const QString &section,
                       const QString &key) override;
    void transaction(const std::function<void()> &work) override;

    // The next `count` writes succeed; every write after them fails with PlatformError
    // until clearWriteFailure(). failWritesAfter(0) makes the very next write fail.
    void failWritesAfter(int count);
    void clearWriteFailure();
    // An unreadable store: reads give nothing and writes fail, as with a damaged file.
    void setUnreadable(bool unreadable);

    // Writes that succeeded since the store was made, those later undone included.
    int saveCount() const { return m_saveCount; }
    // What files() answers: the store itself keeps none.
    QStringList keptFiles;

private:
    struct Entry
    {
        QString application;
        QString section;
        QString key;
        QString value;
    };

    qsizetype indexOf(const QString &application, const QString &section, const QString &key) const;

    QList<Entry> m_entries; // in order of first creation
    int m_writesBeforeFailure = -1; // -1: writes never fail
    bool m_unreadable = false;
    int m_saveCount = 0;
};
