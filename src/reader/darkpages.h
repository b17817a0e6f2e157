#pragma once

#include <QByteArray>
#include <QString>

class SettingsStore;

// Dark pages: the user's choice, kept in the settings store, and what it asks of the engine at
// start. The engine darkens only from its start, so a change shows from the next start.
class DarkPages final
{
public:
    explicit DarkPages(SettingsStore &settings);

    bool isOn() const;
    // The command: turns the choice over, keeps it, and says what happens. A failure of the
    // store leaves the choice as it was and comes as PlatformError.
    QString toggle();

    // The engine's switches with dark rendering added or left out. Pages that offer a dark
    // scheme are asked for it; the others are darkened, their pictures kept as they are. Switches
    // the user gave for the same settings are left as the user gave them.
    static QByteArray engineFlags(const QByteArray &flags, bool on);
    // What the status line says after the command.
    static QString changedMessage(bool on);

private:
    SettingsStore &m_settings;
};
