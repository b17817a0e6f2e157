#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class SettingsStore;

// The sites and user names of the saved sign-ins, and the sites never to ask about, kept in the
// settings store. Their passwords live in the keyring only, under keyringKey().
class SavedSignIns
{
public:
    struct Entry
    {
        QString origin;
        QString userName;
        friend bool operator==(const Entry &, const Entry &) = default;
    };

    explicit SavedSignIns(SettingsStore &store);

    // Every saved sign-in, by site then user name.
    QList<Entry> all() const;
    // The saved sign-ins whose site or user name contains text, ignoring case.
    QList<Entry> matching(const QString &text) const;
    QStringList userNames(const QString &origin) const;
    bool contains(const Entry &entry) const;

    // These fail with PlatformError, as the store does.
    void add(const Entry &entry);
    void remove(const Entry &entry);
    void removeAll();

    bool neverFor(const QString &origin) const;
    void setNeverFor(const QString &origin);

    // The name under which the keyring holds this sign-in's password.
    static QString keyringKey(const Entry &entry);

private:
    SettingsStore &m_store;
};
