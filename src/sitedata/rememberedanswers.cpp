#include "sitedata/rememberedanswers.h"

#include "platform/api/failure.h"
#include "sitedata/sitepermissions.h"

namespace {

// Host names are not case-sensitive; the same site must not be asked about twice.
QString siteKey(const QString &host)
{
    return host.toLower();
}

} // namespace

RememberedAnswers::RememberedAnswers(std::shared_ptr<UserQuestions> asked,
                                     std::shared_ptr<SettingsStore> kept)
    : ForwardedQuestions(std::move(asked))
    , m_kept(std::move(kept))
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

UserQuestions::PermissionAnswer RememberedAnswers::allowPermission(const QString &host,
                                                                   Permission permission)
{
    const QPair<QString, int> key(siteKey(host), int(permission));
    if (m_kept) {
        if (const auto stored = SitePermissions::find(*m_kept, key.first, permission))
            return { *stored, true };
    }
    if (const auto known = m_permissions.constFind(key); known != m_permissions.cend())
        return { known.value(), true };
    const PermissionAnswer answer = m_asked->allowPermission(host, permission);
    if (!answer.remember)
        return answer;
    const bool stored = m_kept && Failure::skip([&] {
                            SitePermissions::keep(*m_kept, key.first, permission, answer.allow);
                        });
    if (!stored)
        m_permissions.insert(key, answer.allow);
    return answer;
}
