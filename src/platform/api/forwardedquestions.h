#pragma once

#include "platform/api/userquestions.h"

#include <memory>

// Passes every question on to another set of questions: a set that changes how some are
// asked overrides only those.
class ForwardedQuestions : public UserQuestions
{
public:
    explicit ForwardedQuestions(std::shared_ptr<UserQuestions> asked)
        : m_asked(std::move(asked))
    {
    }

    QString whereToSave(const QString &suggestedPath) override
    {
        return m_asked->whereToSave(suggestedPath);
    }
    bool proceedDespiteCertificate(const QString &host, const QString &problem) override
    {
        return m_asked->proceedDespiteCertificate(host, problem);
    }
    PermissionAnswer allowPermission(const QString &host, Permission permission) override
    {
        return m_asked->allowPermission(host, permission);
    }
    bool cancelDownloads(int running) override { return m_asked->cancelDownloads(running); }
    bool quitCancellingDownloads(int running) override
    {
        return m_asked->quitCancellingDownloads(running);
    }
    std::optional<Credentials> credentials(const QString &site, const QString &realm) override
    {
        return m_asked->credentials(site, realm);
    }
    bool stopUnresponsivePage(const QString &site) override
    {
        return m_asked->stopUnresponsivePage(site);
    }

protected:
    const std::shared_ptr<UserQuestions> m_asked;
};
