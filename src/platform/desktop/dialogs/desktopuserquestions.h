#pragma once

#include "platform/api/userquestions.h"

#include <QCoreApplication>

// The questions as modal dialogs over the active window, the careful answer as default.
class DesktopUserQuestions final : public UserQuestions
{
    Q_DECLARE_TR_FUNCTIONS(DesktopUserQuestions)

public:
    explicit DesktopUserQuestions(QString title);

    QString whereToSave(const QString &suggestedPath) override;
    bool proceedDespiteCertificate(const QString &host, const QString &problem) override;
    PermissionAnswer allowPermission(const QString &host, Permission permission) override;
    bool cancelDownloads(int running) override;
    bool quitCancellingDownloads(int running) override;
    std::optional<Credentials> credentials(const QString &site, const QString &realm) override;
    bool stopUnresponsivePage(const QString &site) override;

private:
    // Shows text with two buttons; true when the user picks yes.
    bool choose(const QString &text, const QString &yes, const QString &no) const;

    QString m_title;
};
