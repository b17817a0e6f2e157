#pragma once

#include <optional>
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QStringList>

// A desktop of its own for the mail-program tests: PATH holds only the programs made here, and
// the XDG folders and the current desktop ("TestDesk") point into a temporary folder, so no
// mail program of the machine is ever found. The variables are put back at the end.
//
// GIO reads the XDG variables once per process, so every fake desktop of a process uses the same
// folders, emptied when the next one is made.
class FakeMailDesktop
{
public:
    FakeMailDesktop();
    ~FakeMailDesktop();
    FakeMailDesktop(const FakeMailDesktop &) = delete;
    FakeMailDesktop &operator=(const FakeMailDesktop &) = delete;

    // A program on PATH that records its name and arguments, one line per start.
    void addProgram(const QString &name);
    void removeProgram(const QString &name);
    // A file under config/ (XDG_CONFIG_HOME), etc/ (XDG_CONFIG_DIRS), local/ (XDG_DATA_HOME)
    // or share/ (XDG_DATA_DIRS); @BIN@ in the content stands for the programs' folder.
    void writeFile(const QString &relativePath, const QString &content);
    QString binFolder() const;
    // The programs started so far, as "name arguments".
    QStringList started() const;

private:
    QString m_started;
    QList<QPair<const char *, std::optional<QByteArray>>> m_saved;
};
