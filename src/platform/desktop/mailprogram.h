#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A desktop mail program that the Mail commands know how to open on a view.
struct MailProgram
{
    QString name;
    // The names it is installed and runs under; the first is looked up on PATH.
    QStringList executables;
    QStringList mailArguments;
    // A separate program for the contacts, or empty for the mail program itself.
    QString contactsExecutable;
    QStringList contactsArguments;
    // Without a contacts view, contacts open the mail view.
    bool hasContactsView = true;
};

struct ProgramCommand
{
    QString program;
    QStringList arguments;
    friend bool operator==(const ProgramCommand &, const ProgramCommand &) = default;
};

// In the order in which they are looked for on PATH.
const QList<MailProgram> &knownMailPrograms();

// The known program that runs as the executable of this file name, or null.
const MailProgram *mailProgramRunAs(const QString &executableName);

// The command that opens the view of a default folder (6 Inbox, 4 Outbox, 10 Contacts) in the
// program installed at executablePath. Folders that have no view of their own open the mail view.
ProgramCommand viewCommand(const MailProgram &program, const QString &executablePath,
                           int folderNumber);

// The mimeapps.list files, most important first: for each config folder, then each data
// folder's applications, the desktop-specific list before the common one.
QStringList mimeappsListPaths(const QStringList &configDirs, const QStringList &dataDirs,
                              const QStringList &desktops);

// The desktop file ids of the mailto handlers in a mimeapps.list, most preferred first.
QStringList mailtoHandlers(const QString &mimeappsText);

// The Exec line of a desktop file's main entry.
QString desktopEntryExec(const QString &desktopFileText);

// The program that an Exec line runs, unquoted; an `env` prefix and its variables are skipped.
QString execProgram(const QString &exec);
