#include "mail/mailsession.h"

#include "platform/api/failure.h"
#include "platform/api/mailautomation.h"

#include <QCoreApplication>

namespace Mail {

namespace {

const QString applicationClass = QStringLiteral("Outlook.Application");

PlatformError objectNotSet(const QString &reason = {})
{
    return PlatformError(ErrorCode::ObjectNotSet,
                         reason.isEmpty() ? QCoreApplication::translate(
                             "Mail", "Object variable or With block variable not set")
                                          : reason);
}

class NoApplication final : public MailApplication
{
public:
    explicit NoApplication(QString reason)
        : m_reason(std::move(reason))
    {
    }
    std::shared_ptr<MailNamespace> GetNamespace(const QString &) override
    {
        throw objectNotSet(m_reason);
    }

private:
    QString m_reason;
};

template<typename T> std::shared_ptr<T> setOrFail(std::shared_ptr<T> object)
{
    if (!object)
        throw objectNotSet();
    return object;
}

} // namespace

std::shared_ptr<MailApplication> attachOrStart(MailAutomation &automation)
{
    std::shared_ptr<MailApplication> application;
    Failure::skip([&] { application = automation.GetObject(applicationClass); });
    if (application)
        return application;
    QString reason;
    try {
        application = automation.CreateObject(applicationClass);
    } catch (const PlatformError &error) {
        reason = error.description();
    } catch (const std::exception &error) {
        reason = QString::fromLocal8Bit(error.what());
    }
    return application ? application : std::make_shared<NoApplication>(reason);
}

std::shared_ptr<MailNamespace> mapiNamespace(MailApplication &application)
{
    return setOrFail(application.GetNamespace(QStringLiteral("MAPI")));
}

void logOn(MailNamespace &mailNamespace)
{
    mailNamespace.Logon(QString(), QString(), true, true);
}

std::shared_ptr<MailFolder> defaultFolder(MailNamespace &mailNamespace, DefaultFolder folder)
{
    return setOrFail(mailNamespace.GetDefaultFolder(int(folder)));
}

} // namespace Mail
