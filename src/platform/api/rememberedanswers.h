#pragma once

#include "userquestions.h"

#include <memory>
#include <QHash>
#include <QPair>
#include <QSet>

// Asks another set of questions, and keeps for this run the answers that hold for a site: a
// site trusted despite its certificate, and each permission allowed or denied to a site. A
// refused certificate is asked about again on the next visit. Nothing is written anywhere,
// so every run starts by asking.
class RememberedAnswers final : public UserQuestions
{
public:
    explicit RememberedAnswers(std::shared_ptr<UserQuestions> asked);

    QString whereToSave(const QString &suggestedPath) override;
    bool proceedDespiteCertificate(const QString &host, const QString &problem) override;
    bool allowPermission(const QString &host, Permission permission) override;
    bool cancelDownloads(int running) override;
    bool quitCancellingDownloads(int running) override;
    // Never kept: a password is asked for each time the site asks.
    std::optional<Credentials> credentials(const QString &site, const QString &realm) override;
    // Asked anew for each hang.
    bool stopUnresponsivePage(const QString &site) override;

private:
    std::shared_ptr<UserQuestions> m_asked;
    QSet<QString> m_trustedHosts;
    QHash<QPair<QString, int>, bool> m_permissions;
};
