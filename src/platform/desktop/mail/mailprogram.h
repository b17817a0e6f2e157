#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A desktop mail program that the Mail commands know how to open on a view. Every member has
// an initializer, so that the table names only what a program has.
struct MailProgram
{
    QString name {};
    // The names it runs under; the first is looked up on PATH when it has no desktop entry.
    QStringList executables {};
    // Its desktop file ids without ".desktop", as distributions and Flatpak install it.
    QStringList desktopIds {};
    QStringList mailArguments {};
    QStringList contactsArguments {};
    // A separate program for the contacts, by executable and desktop id, or empty for the mail
    // program itself.
    QString contactsExecutable {};
    QString contactsDesktopId {};
    // Without a contacts view, contacts open the mail view.
    bool hasContactsView = true;
};

// In the order in which they are looked for when the desktop names no default mail program.
const QList<MailProgram> &knownMailPrograms();

// The known program installed as this desktop file id (without ".desktop") or running as this
// executable name, or null.
const MailProgram *knownMailProgram(const QString &desktopId, const QString &executableName);
