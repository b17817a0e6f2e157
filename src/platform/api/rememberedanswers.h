#pragma once

#include "platform/api/forwardedquestions.h"

#include <QHash>
#include <QPair>
#include <QSet>

// Asks another set of questions, and keeps for this run the answers that hold for a site: a
// site trusted despite its certificate, and each permission allowed or denied to a site. A
// refused certificate is asked about again on the next visit. Nothing is written anywhere,
// so every run starts by asking.
class RememberedAnswers final : public ForwardedQuestions
{
public:
    explicit RememberedAnswers(std::shared_ptr<UserQuestions> asked);

    bool proceedDespiteCertificate(const QString &host, const QString &problem) override;
    bool allowPermission(const QString &host, Permission permission) override;
    // The rest are asked anew each time: a password, a hang, where to save.

private:
    QSet<QString> m_trustedHosts;
    QHash<QPair<QString, int>, bool> m_permissions;
};
