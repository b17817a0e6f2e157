#pragma once

#include "platform/api/userquestions.h"

#include <memory>

// Asks another set of questions, never two at once. A question is modal: while it is open,
// the events it lets through may bring more (a page that floods permission requests, a page
// that stops answering behind its own dialog). Those get the careful answer at once instead
// of a second question on top of the first. Anything else that asks the user (a page's own
// dialogs, the print preview) marks itself open with OpenQuestion::Asking, so that they wait
// for each other too.
class OneQuestionAtATime final : public UserQuestions
{
public:
    explicit OneQuestionAtATime(std::shared_ptr<UserQuestions> asked);

    QString whereToSave(const QString &suggestedPath) override;
    bool proceedDespiteCertificate(const QString &host, const QString &problem) override;
    PermissionAnswer allowPermission(const QString &host, Permission permission) override;
    bool cancelDownloads(int running) override;
    bool quitCancellingDownloads(int running) override;
    std::optional<Credentials> credentials(const QString &site, const QString &realm) override;
    bool stopUnresponsivePage(const QString &site) override;

private:
    template<typename Answer, typename Ask> Answer ask(Answer careful, Ask &&question);

    std::shared_ptr<UserQuestions> m_asked;
};
