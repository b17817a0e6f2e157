#include "fakeservices.h"

#include "platform/api/platformerror.h"

QString FakeInternetTransfer::OpenURL(const QString &url)
{
    requested.append(url);
    if (fail)
        throw PlatformError(ErrorCode::TransferTimedOut, QStringLiteral("Request timed out"));
    return document;
}

QString ScriptedUserQuestions::whereToSave(const QString &suggestedPath)
{
    asked.append(QStringLiteral("save ") + suggestedPath);
    return savePath;
}

bool ScriptedUserQuestions::proceedDespiteCertificate(const QString &host, const QString &problem)
{
    asked.append(QStringLiteral("certificate %1: %2").arg(host, problem));
    return proceed;
}

UserQuestions::PermissionAnswer ScriptedUserQuestions::allowPermission(const QString &host,
                                                                       Permission permission)
{
    asked.append(QStringLiteral("permission %1 %2").arg(host).arg(int(permission)));
    return { allow, remember };
}

bool ScriptedUserQuestions::cancelDownloads(int running)
{
    asked.append(QStringLiteral("cancel %1").arg(running));
    return cancel;
}

bool ScriptedUserQuestions::quitCancellingDownloads(int running)
{
    asked.append(QStringLiteral("quit %1").arg(running));
    return quit;
}

std::optional<UserQuestions::Credentials> ScriptedUserQuestions::credentials(const QString &site,
                                                                             const QString &realm)
{
    asked.append(QStringLiteral("credentials %1: %2").arg(site, realm));
    return given;
}

bool ScriptedUserQuestions::stopUnresponsivePage(const QString &site)
{
    asked.append(QStringLiteral("not responding ") + site);
    return stopPage;
}
