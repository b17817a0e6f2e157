#include "platform/api/rememberedanswers.h"

namespace {

// Host names are not case-sensitive; the same site must not be asked about twice.
QString siteKey(const QString &host)
{
    return host.toLower();
}

} // namespace

RememberedAnswers::RememberedAnswers(std::shared_ptr<UserQuestions> asked)
    : ForwardedQuestions(std::move(asked))
{
}

bool RememberedAnswers::proceedDespiteCertificate(const QString &host, const QString &problem)
{
    if (m_trustedHosts.contains(siteKey(host)))
        return true;
    const bool proceed = m_asked->proceedDespiteCertificate(host, problem);
    if (proceed)
        m_trustedHosts.insert(siteKey(host));
    return proceed;
}

bool RememberedAnswers::allowPermission(const QString &host, Permission permission)
{
    const QPair<QString, int> key(siteKey(host), int(permission));
    if (const auto known = m_permissions.constFind(key); known != m_permissions.cend())
        return known.value();
    const bool allow = m_asked->allowPermission(host, permission);
    m_permissions.insert(key, allow);
    return allow;
}
