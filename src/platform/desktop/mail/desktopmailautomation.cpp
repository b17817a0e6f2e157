#include "platform/desktop/mail/desktopmailautomation.h"

#include "platform/api/platformerror.h"
#include "platform/desktop/mail/desktopmailprogram.h"
#include "platform/desktop/mail/mailprogram.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <unistd.h>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("DesktopMailAutomation", text);
}

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The program for the class: the desktop's default mail program, else the first known one.
DesktopMailProgram mailProgram(const QString &className)
{
    if (className.compare(QLatin1String("Outlook.Application"), Qt::CaseInsensitive) != 0)
        throw PlatformError(ErrorCode::CannotCreateObject,
                            tr("There is no program for %1 on this desktop.").arg(className));
    if (std::optional<DesktopMailProgram> found = DesktopMailProgram::find())
        return *std::move(found);
    QStringList names;
    for (const MailProgram &program : knownMailPrograms())
        names.append(program.name);
    throw PlatformError(ErrorCode::CannotCreateObject,
                        tr("No mail program found (looked for %1). Install one or set a default "
                           "mail program.")
                            .arg(names.join(QStringLiteral(", "))));
}

class DesktopMailFolder final : public MailFolder
{
public:
    DesktopMailFolder(DesktopMailProgram program, int folderNumber)
        : m_program(std::move(program))
        , m_folderNumber(folderNumber)
    {
    }

    void Display() override
    {
        const std::optional<DesktopMailProgram::StartFailure> failure
            = m_program.open(m_folderNumber);
        if (!failure)
            return;
        if (failure->reason.isEmpty())
            throw PlatformError(ErrorCode::FileNotFound,
                                tr("%1 is not installed.").arg(failure->program));
        throw PlatformError(ErrorCode::PermissionDenied,
                            tr("%1 cannot be started: %2").arg(failure->program, failure->reason));
    }

private:
    DesktopMailProgram m_program;
    int m_folderNumber;
};

// The program keeps its own accounts and sessions, so a logon has nothing to do.
class DesktopMailNamespace final : public MailNamespace
{
public:
    explicit DesktopMailNamespace(DesktopMailProgram program)
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
    DesktopMailProgram m_program;
};

class DesktopMailApplication final : public MailApplication
{
public:
    explicit DesktopMailApplication(DesktopMailProgram program)
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
    DesktopMailProgram m_program;
};

} // namespace

DesktopMailAutomation::DesktopMailAutomation(QString processFolder)
    : m_processFolder(std::move(processFolder))
{
}

std::shared_ptr<MailApplication> DesktopMailAutomation::GetObject(const QString &className)
{
    DesktopMailProgram found = mailProgram(className);
    if (!isRunning(found.processNames()))
        throw PlatformError(ErrorCode::CannotCreateObject,
                            tr("%1 is not running.").arg(found.name()));
    return std::make_shared<DesktopMailApplication>(std::move(found));
}

std::shared_ptr<MailApplication> DesktopMailAutomation::CreateObject(const QString &className)
{
    return std::make_shared<DesktopMailApplication>(mailProgram(className));
}

bool DesktopMailAutomation::isRunning(const QStringList &processNames) const
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
        if (processNames.contains(name) || processNames.contains(executable))
            return true;
    }
    return false;
}
