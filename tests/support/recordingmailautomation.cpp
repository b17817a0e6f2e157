#include "recordingmailautomation.h"

#include "platform/api/platformerror.h"

namespace {

using Log = RecordingMailAutomation::Log;

QString yesNo(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

// Stands for the application, its name space and a folder (number) alike: each records the
// calls made of it.
class RecordingObject final : public MailApplication, public MailNamespace, public MailFolder
{
public:
    explicit RecordingObject(std::shared_ptr<Log> log, int number = 0)
        : m_log(std::move(log))
        , m_number(number)
    {
    }
    std::shared_ptr<MailNamespace> GetNamespace(const QString &type) override
    {
        m_log->record(QStringLiteral("GetNamespace(%1)").arg(type));
        return std::make_shared<RecordingObject>(m_log);
    }
    void Logon(const QString &profile, const QString &password, bool showDialog,
               bool newSession) override
    {
        m_log->record(QStringLiteral("Logon(%1,%2,%3,%4)")
                          .arg(profile, password, yesNo(showDialog), yesNo(newSession)));
    }
    std::shared_ptr<MailFolder> GetDefaultFolder(int folderNumber) override
    {
        m_log->record(QStringLiteral("GetDefaultFolder(%1)").arg(folderNumber));
        auto folder = std::make_shared<RecordingObject>(m_log, folderNumber);
        m_log->lastFolder = folder;
        return folder;
    }
    void Logoff() override { m_log->record(QStringLiteral("Logoff()")); }
    void Display() override { m_log->record(QStringLiteral("Display(%1)").arg(m_number)); }

private:
    std::shared_ptr<Log> m_log;
    int m_number;
};

} // namespace

void RecordingMailAutomation::Log::record(const QString &call)
{
    calls.append(call);
    if (call.section(u'(', 0, 0) == failingCall)
        throw PlatformError(failureNumber, QStringLiteral("%1 failed").arg(failingCall));
}

std::shared_ptr<MailApplication> RecordingMailAutomation::GetObject(const QString &className)
{
    log->calls.append(QStringLiteral("GetObject(%1)").arg(className));
    if (!running)
        throw PlatformError(ErrorCode::CannotCreateObject, QStringLiteral("not running"));
    return std::make_shared<RecordingObject>(log);
}

std::shared_ptr<MailApplication> RecordingMailAutomation::CreateObject(const QString &className)
{
    log->calls.append(QStringLiteral("CreateObject(%1)").arg(className));
    if (!installed)
        throw PlatformError(ErrorCode::CannotCreateObject, QStringLiteral("no mail program here"));
    running = true;
    return std::make_shared<RecordingObject>(log);
}
