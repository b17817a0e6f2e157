#include "mailprogram.h"

#include <QFileInfo>

namespace {

constexpr int ContactsFolder = 10;

// The value of key in group of a desktop-entry style file (desktop files, mimeapps.list).
QString groupValue(const QString &text, QStringView group, QStringView key)
{
    bool inGroup = false;
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.startsWith(u'[')) {
            inGroup = line.endsWith(u']') && line.sliced(1, line.size() - 2) == group;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (inGroup && equals > 0 && line.first(equals).trimmed() == key)
            return line.sliced(equals + 1).trimmed().toString();
    }
    return QString();
}

// Splits an Exec line into its arguments; double quotes group, and a backslash inside them
// escapes the next character.
QStringList execArguments(const QString &exec)
{
    QStringList arguments;
    QString current;
    bool inArgument = false;
    bool quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (quoted && c == u'\\' && i + 1 < exec.size()) {
            current += exec.at(++i);
        } else if (c == u'"') {
            quoted = !quoted;
            inArgument = true;
        } else if (!quoted && c.isSpace()) {
            if (inArgument)
                arguments.append(current);
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument)
        arguments.append(current);
    return arguments;
}

} // namespace

const QList<MailProgram> &knownMailPrograms()
{
    static const QList<MailProgram> programs {
        { QStringLiteral("Thunderbird"),
          { QStringLiteral("thunderbird"), QStringLiteral("thunderbird-bin") },
          { QStringLiteral("-mail") },
          QString(),
          { QStringLiteral("-addressbook") } },
        { QStringLiteral("Evolution"),
          { QStringLiteral("evolution") },
          { QStringLiteral("--component=mail") },
          QString(),
          { QStringLiteral("--component=contacts") } },
        { QStringLiteral("KMail"),
          { QStringLiteral("kmail") },
          {},
          QStringLiteral("kaddressbook"),
          {} },
        { QStringLiteral("Geary"), { QStringLiteral("geary") }, {}, QString(), {}, false },
    };
    return programs;
}

const MailProgram *mailProgramRunAs(const QString &executableName)
{
    for (const MailProgram &program : knownMailPrograms()) {
        if (program.executables.contains(executableName))
            return &program;
    }
    return nullptr;
}

ProgramCommand viewCommand(const MailProgram &program, const QString &executablePath,
                           int folderNumber)
{
    if (folderNumber != ContactsFolder || !program.hasContactsView)
        return { executablePath, program.mailArguments };
    if (program.contactsExecutable.isEmpty())
        return { executablePath, program.contactsArguments };
    return { program.contactsExecutable, program.contactsArguments };
}

QStringList mimeappsListPaths(const QStringList &configDirs, const QStringList &dataDirs,
                              const QStringList &desktops)
{
    QStringList folders = configDirs;
    for (const QString &dataDir : dataDirs)
        folders.append(dataDir + QStringLiteral("/applications"));
    QStringList paths;
    for (const QString &folder : folders) {
        for (const QString &desktop : desktops)
            paths.append(folder + u'/' + desktop.toLower() + QStringLiteral("-mimeapps.list"));
        paths.append(folder + QStringLiteral("/mimeapps.list"));
    }
    return paths;
}

QStringList mailtoHandlers(const QString &mimeappsText)
{
    const QString value
        = groupValue(mimeappsText, u"Default Applications", u"x-scheme-handler/mailto");
    QStringList handlers;
    for (const QString &entry : value.split(u';')) {
        if (!entry.trimmed().isEmpty())
            handlers.append(entry.trimmed());
    }
    return handlers;
}

QString desktopEntryExec(const QString &desktopFileText)
{
    return groupValue(desktopFileText, u"Desktop Entry", u"Exec");
}

QString execProgram(const QString &exec)
{
    QStringList arguments = execArguments(exec);
    if (!arguments.isEmpty() && QFileInfo(arguments.first()).fileName() == QLatin1String("env")) {
        arguments.removeFirst();
        while (!arguments.isEmpty() && arguments.first().contains(u'='))
            arguments.removeFirst();
    }
    return arguments.value(0);
}
