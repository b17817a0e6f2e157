#pragma once

#include <optional>
#include <QString>
#include <QStringList>

struct MailProgram;

// The user's mail program as the desktop knows it: a desktop entry that GIO reads (Flatpak and
// D-Bus-activated programs included), or for a known program without one, its executable on
// PATH. Each start reads the entry again, so a program removed since is noticed.
class DesktopMailProgram
{
public:
    // Why a start failed: the program is not installed (any more), or the desktop refused it.
    struct StartFailure
    {
        QString program;
        // Empty when the program is not installed.
        QString reason;
    };

    // The desktop's default mailto handler, else the first known program installed.
    static std::optional<DesktopMailProgram> find();

    QString name() const;
    // The process names it runs under, to find it running.
    QStringList processNames() const;
    // Starts it, detached, on the view of a default folder (6 Inbox, 4 Outbox, 10 Contacts).
    // Folders without a view of their own, and programs we do not know, open the main view.
    std::optional<StartFailure> open(int folderNumber) const;

private:
    DesktopMailProgram(const MailProgram *known, QString name, QString desktopFile, QString exec);
    static std::optional<DesktopMailProgram>
    installed(const MailProgram *known, const QStringList &desktopIds, const QString &executable);
    std::optional<StartFailure> start(const QStringList &arguments) const;

    const MailProgram *m_known = nullptr;
    QString m_name;
    // Empty for a program found on PATH alone.
    QString m_desktopFile;
    // The entry's Exec line, or the executable found on PATH.
    QString m_exec;
};
