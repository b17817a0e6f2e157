#pragma once

#include <optional>
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QStringList>
#include <QTemporaryDir>

// A desktop of its own for the mail-program tests: PATH holds only the programs made here, and
// the XDG folders and the current desktop ("TestDesk") point into a temporary folder, so no
// mail program of the machine is ever found. Everything is put back at the end.
class FakeMailDesktop
{
public:
    FakeMailDesktop();
    ~FakeMailDesktop();
    FakeMailDesktop(const FakeMailDesktop &) = delete;
    FakeMailDesktop &operator=(const FakeMailDesktop &) = delete;

    // A program on PATH that records its name and arguments, one line per start. One that is
    // not executable is there but cannot run.
    void addProgram(const QString &name, bool executable = true);
    void removeProgram(const QString &name);
    // A file under config/ (XDG_CONFIG_HOME), etc/ (XDG_CONFIG_DIRS), local/ (XDG_DATA_HOME)
    // or share/ (XDG_DATA_DIRS); @BIN@ in the content stands for the programs' folder.
    void writeFile(const QString &relativePath, const QString &content);
    QString binFolder() const;
    // The programs started so far, as "name arguments".
    QStringList started() const;

private:
    QTemporaryDir m_root;
    QList<QPair<const char *, std::optional<QByteArray>>> m_saved;
};
