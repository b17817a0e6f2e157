#pragma once

#include "platform/api/settingsstore.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

// The settings store kept in one SQLite file. The file and its folder appear at the first
// write; a file that is not ours (damaged, or another program's database) is never changed:
// reads of it give nothing and writes to it fail.
class SqliteSettingsStore final : public SettingsStore
{
public:
    explicit SqliteSettingsStore(const QString &filePath);
    ~SqliteSettingsStore() override;

    SqliteSettingsStore(const SqliteSettingsStore &) = delete;
    SqliteSettingsStore &operator=(const SqliteSettingsStore &) = delete;

    // The per-user file that the program uses.
    static QString defaultPath();

    QString filePath() const { return m_filePath; }

    QString GetSetting(const QString &application, const QString &section,
                       const QString &key) const override;
    QList<Row> GetAllSettings(const QString &application, const QString &section) const override;
    void SaveSetting(const QString &application, const QString &section, const QString &key,
                     const QString &value) override;
    QStringList files() const override;
    void DeleteSetting(const QString &application, const QString &section,
                       const QString &key) override;
    void transaction(const std::function<void()> &work) override;

private:
    bool openForReading() const;
    void prepareForWriting();
    void execOrThrow(const QString &statement);
    [[noreturn]] void fail(const QString &reason) const;
    // A full disk fails with its own number and words.
    [[noreturn]] void fail(const QSqlError &error) const;

    QString m_filePath;
    QString m_connectionName;
    mutable QSqlDatabase m_database;
    bool m_schemaReady = false;
    int m_transactionDepth = 0;
};
