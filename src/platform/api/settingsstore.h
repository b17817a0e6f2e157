#pragma once

#include <functional>
#include <QList>
#include <QPair>
#include <QString>

// The per-user application settings store: application / section / key / value.
class SettingsStore
{
public:
    using Row = QPair<QString, QString>; // key, value

    virtual ~SettingsStore() = default;

    // The stored text, or "" when the key is missing or the store cannot be read.
    virtual QString GetSetting(const QString &application, const QString &section,
                               const QString &key) const = 0;
    // All keys of a section, in the order of their first creation.
    virtual QList<Row> GetAllSettings(const QString &application, const QString &section) const = 0;
    // Creates or overwrites one key; fails with PlatformError.
    virtual void SaveSetting(const QString &application, const QString &section, const QString &key,
                             const QString &value)
        = 0;
    // Removes one key, if it is there; fails with PlatformError.
    virtual void DeleteSetting(const QString &application, const QString &section,
                               const QString &key)
        = 0;
    // The files in which the store keeps its settings.
    virtual QStringList files() const = 0;
    // Runs the writes of work as one unit: all of them are stored, or none.
    virtual void transaction(const std::function<void()> &work) = 0;
};
