#include "questions/onequestionatatime.h"

#include "platform/api/openquestion.h"

OneQuestionAtATime::OneQuestionAtATime(std::shared_ptr<UserQuestions> asked)
    : m_asked(std::move(asked))
{
}

template<typename Answer, typename Ask>
Answer OneQuestionAtATime::ask(Answer careful, Ask &&question)
{
    if (OpenQuestion::isAsking())
        return careful;
    const OpenQuestion::Asking open;
    return question();
}

QString OneQuestionAtATime::whereToSave(const QString &suggestedPath)
{
    return ask(QString(), [&] { return m_asked->whereToSave(suggestedPath); });
}

bool OneQuestionAtATime::proceedDespiteCertificate(const QString &host, const QString &problem)
{
    return ask(false, [&] { return m_asked->proceedDespiteCertificate(host, problem); });
}

UserQuestions::PermissionAnswer OneQuestionAtATime::allowPermission(const QString &host,
                                                                    Permission permission)
{
    return ask(PermissionAnswer {}, [&] { return m_asked->allowPermission(host, permission); });
}

bool OneQuestionAtATime::cancelDownloads(int running)
{
    // Closing with downloads running: the careful answer lets them finish.
    return ask(false, [&] { return m_asked->cancelDownloads(running); });
}

bool OneQuestionAtATime::quitCancellingDownloads(int running)
{
    // Behind another question the program stays, and its downloads with it.
    return ask(false, [&] { return m_asked->quitCancellingDownloads(running); });
}

std::optional<UserQuestions::Credentials> OneQuestionAtATime::credentials(const QString &site,
                                                                          const QString &realm)
{
    return ask(std::optional<Credentials>(), [&] { return m_asked->credentials(site, realm); });
}

bool OneQuestionAtATime::stopUnresponsivePage(const QString &site)
{
    // Behind another question the page may only be waiting for it; it is asked about later.
    return ask(false, [&] { return m_asked->stopUnresponsivePage(site); });
}
