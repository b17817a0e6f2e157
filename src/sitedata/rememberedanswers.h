#pragma once

#include "platform/api/forwardedquestions.h"

#include <QHash>
#include <QPair>
#include <QSet>

class SettingsStore;

// Asks another set of questions, and keeps the answers that hold for a site. A certificate
// trusted despite its problem holds for this run; a refused one is asked about again on the
// next visit. A permission answered to be remembered holds in the settings store across runs,
// or for this run when there is no store or it cannot be written; one answered for this time
// only is asked again.
class RememberedAnswers final : public ForwardedQuestions
{
public:
    explicit RememberedAnswers(std::shared_ptr<UserQuestions> asked,
                               std::shared_ptr<SettingsStore> kept = {});

    bool proceedDespiteCertificate(const QString &host, const QString &problem) override;
    PermissionAnswer allowPermission(const QString &host, Permission permission) override;
    // The rest are asked anew each time: a password, a hang, where to save.

private:
    std::shared_ptr<SettingsStore> m_kept;
    QSet<QString> m_trustedHosts;
    QHash<QPair<QString, int>, bool> m_permissions;
};
