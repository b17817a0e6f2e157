#include "desktopmailautomation.h"

#include "mailprogram.h"
#include "platformerror.h"

#include <optional>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <unistd.h>

namespace {

struct InstalledProgram
{
    const MailProgram *program = nullptr;
    QString executablePath;
};

QString tr(const char *text)
{
    return QCoreApplication::translate("DesktopMailAutomation", text);
}

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A list of folders from an XDG variable; an unset or empty variable means the defaults.
QStringList xdgFolders(const char *variable, const QStringList &defaults)
{
    const QStringList folders = qEnvironmentVariable(variable).split(u':', Qt::SkipEmptyParts);
    return folders.isEmpty() ? defaults : folders;
}

QStringList configFolders()
{
    return xdgFolders("XDG_CONFIG_HOME", { QDir::homePath() + QStringLiteral("/.config") })
        + xdgFolders("XDG_CONFIG_DIRS", { QStringLiteral("/etc/xdg") });
}

QStringList dataFolders()
{
    return xdgFolders("XDG_DATA_HOME", { QDir::homePath() + QStringLiteral("/.local/share") })
        + xdgFolders("XDG_DATA_DIRS",
                     { QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share") });
}

// The path of a program as an Exec line or a table names it; empty when it is not installed.
QString installedPath(const QString &program)
{
    if (program.contains(u'/'))
        return QFileInfo(program).isFile() ? program : QString();
    return QStandardPaths::findExecutable(program);
}

// The default mailto handler when it is a known program that is installed.
std::optional<InstalledProgram> defaultHandler()
{
    const QStringList dataDirs = dataFolders();
    const QStringList desktops
        = qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts);
    for (const QString &listPath : mimeappsListPaths(configFolders(), dataDirs, desktops)) {
        for (const QString &desktopId : mailtoHandlers(readText(listPath))) {
            QString desktopFile;
            for (const QString &dataDir : dataDirs) {
                const QString candidate = dataDir + QStringLiteral("/applications/") + desktopId;
                if (QFileInfo(candidate).isFile()) {
                    desktopFile = candidate;
                    break;
                }
            }
            // A handler that is not installed leaves the choice to the next one.
            if (desktopFile.isEmpty())
                continue;
            const QString program = execProgram(desktopEntryExec(readText(desktopFile)));
            const MailProgram *known = mailProgramRunAs(QFileInfo(program).fileName());
            const QString path = known ? installedPath(program) : QString();
            // A default that we cannot open leaves the choice to the programs we know.
            if (path.isEmpty())
                return std::nullopt;
            return InstalledProgram { known, path };
        }
    }
    return std::nullopt;
}

// The program for the class: the default handler when we know it, else the first one installed.
InstalledProgram installedProgram(const QString &className)
{
    if (className.compare(QLatin1String("Outlook.Application"), Qt::CaseInsensitive) != 0)
        throw PlatformError(ErrorCode::CannotCreateObject,
                            tr("There is no program for %1 on this desktop.").arg(className));
    if (const std::optional<InstalledProgram> handler = defaultHandler())
        return *handler;
    QStringList names;
    for (const MailProgram &program : knownMailPrograms()) {
        const QString path = installedPath(program.executables.first());
        if (!path.isEmpty())
            return { &program, path };
        names.append(program.name);
    }
    throw PlatformError(ErrorCode::CannotCreateObject,
                        tr("No mail program found (looked for %1). Install one or set a default "
                           "mail program.")
                            .arg(names.join(QStringLiteral(", "))));
}

class DesktopMailFolder final : public MailFolder
{
public:
    DesktopMailFolder(InstalledProgram program, int folderNumber)
        : m_program(std::move(program))
        , m_folderNumber(folderNumber)
    {
    }

    void Display() override
    {
        const ProgramCommand command
            = viewCommand(*m_program.program, m_program.executablePath, m_folderNumber);
        const QString path = installedPath(command.program);
        QProcess process;
        process.setProgram(path.isEmpty() ? command.program : path);
        process.setArguments(command.arguments);
        process.setWorkingDirectory(QDir::homePath());
        if (process.startDetached())
            return;
        if (path.isEmpty())
            throw PlatformError(ErrorCode::FileNotFound,
                                tr("%1 is not installed.").arg(command.program));
        throw PlatformError(ErrorCode::PermissionDenied,
                            tr("%1 cannot be started: %2").arg(path, process.errorString()));
    }

private:
    InstalledProgram m_program;
    int m_folderNumber;
};

// The program keeps its own accounts and sessions, so a logon has nothing to do.
class DesktopMailNamespace final : public MailNamespace
{
public:
    explicit DesktopMailNamespace(InstalledProgram program)
        : m_program(std::move(program))
    {
    }
    void Logon(const QString &, const QString &, bool, bool) override { }
    std::shared_ptr<MailFolder> GetDefaultFolder(int folderNumber) override
    {
        return std::make_shared<DesktopMailFolder>(m_program, folderNumber);
    }
    void Logoff() override { }

private:
    InstalledProgram m_program;
};

class DesktopMailApplication final : public MailApplication
{
public:
    explicit DesktopMailApplication(InstalledProgram program)
        : m_program(std::move(program))
    {
    }
    std::shared_ptr<MailNamespace> GetNamespace(const QString &type) override
    {
        if (type.compare(QLatin1String("MAPI"), Qt::CaseInsensitive) != 0)
            throw PlatformError(ErrorCode::InvalidProcedureCall,
                                tr("The mail program has no name space %1.").arg(type));
        return std::make_shared<DesktopMailNamespace>(m_program);
    }

private:
    InstalledProgram m_program;
};

} // namespace

DesktopMailAutomation::DesktopMailAutomation(QString processFolder)
    : m_processFolder(std::move(processFolder))
{
}

std::shared_ptr<MailApplication> DesktopMailAutomation::GetObject(const QString &className)
{
    const InstalledProgram found = installedProgram(className);
    if (!isRunning(*found.program))
        throw PlatformError(ErrorCode::CannotCreateObject,
                            tr("%1 is not running.").arg(found.program->name));
    return std::make_shared<DesktopMailApplication>(found);
}

std::shared_ptr<MailApplication> DesktopMailAutomation::CreateObject(const QString &className)
{
    return std::make_shared<DesktopMailApplication>(installedProgram(className));
}

bool DesktopMailAutomation::isRunning(const MailProgram &program) const
{
    const QDir processes(m_processFolder);
    const uint user = ::getuid();
    for (const QFileInfo &process : processes.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isProcessId = false;
        process.fileName().toUInt(&isProcessId);
        if (!isProcessId || process.ownerId() != user)
            continue;
        // "pid (name) state ...": the name may itself hold spaces and parentheses.
        const QString stat = readText(process.filePath() + QStringLiteral("/stat"));
        const qsizetype open = stat.indexOf(u'(');
        const qsizetype close = stat.lastIndexOf(u')');
        if (open < 0 || close < open)
            continue;
        const QString state = stat.mid(close + 1).trimmed();
        if (state.startsWith(u'Z') || state.startsWith(u'X'))
            continue;
        const QString name = stat.mid(open + 1, close - open - 1);
        const QString executable
            = QFileInfo(QFileInfo(process.filePath() + QStringLiteral("/exe")).symLinkTarget())
                  .fileName();
        if (program.executables.contains(name) || program.executables.contains(executable))
            return true;
    }
    return false;
}
