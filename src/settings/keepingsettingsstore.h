#pragma once

#include "platform/api/platformerror.h"
#include "platform/api/settingsstore.h"

#include <memory>

// A settings store that never loses a write to a store that fights back (damaged, locked by
// another program, read-only, on a full disk): from the first write the store refuses, this
// run keeps its settings in memory, reads see them, and the store's file is not tried again,
// so that a locked file costs one wait, not one per write. A full disk is the exception: the
// next writes try the file again, and once it has room, what was kept in memory is written
// in one unit and the store is used again. What the file already held is still read from it.
// The refusal is told once, through noticed, and the end of a full disk by an empty text.
class KeepingSettingsStore final : public SettingsStore
{
public:
    using Notice = std::function<void(const QString &text)>;

    KeepingSettingsStore(std::shared_ptr<SettingsStore> store, Notice noticed = {});

    // Who is told from now on; a trouble that still holds is told at once.
    void setNoticed(Notice noticed);
    // A last try to write what a full disk refused.
    ~KeepingSettingsStore() override;

    // Whether settings are now kept only until the program ends.
    bool keepsInMemory() const { return m_inMemory; }

    QString GetSetting(const QString &application, const QString &section,
                       const QString &key) const override;
    QList<Row> GetAllSettings(const QString &application, const QString &section) const override;
    void SaveSetting(const QString &application, const QString &section, const QString &key,
                     const QString &value) override;
    void DeleteSetting(const QString &application, const QString &section,
                       const QString &key) override;
    QStringList files() const override { return m_store->files(); }
    void transaction(const std::function<void()> &work) override;

private:
    struct Change
    {
        QString application;
        QString section;
        QString key;
        QString value;
        bool removed = false;
        bool recreated = false; // saved after a removal: it enumerates last, as a new key
    };

    // Writes to the store while it takes them; afterwards, and when it first refuses, to
    // memory. Inside a unit, a refusal undoes the whole unit, which then runs in memory.
    void write(const std::function<void()> &toStore, const Change &change);
    void keepInMemory(const PlatformError &refusal);
    // After a full disk: writes what memory holds to the store in one unit. False while the
    // store still refuses.
    bool writeBack();
    void say(const QString &trouble);
    const Change *changeOf(const QString &application, const QString &section,
                           const QString &key) const;

    std::shared_ptr<SettingsStore> m_store;
    Notice m_noticed;
    QString m_trouble; // what was said last and still holds
    bool m_inMemory = false;
    bool m_waitingForRoom = false; // in memory because the disk was full
    int m_unitDepth = 0;
    QList<Change> m_changes; // one per key, in order of the first change
};
