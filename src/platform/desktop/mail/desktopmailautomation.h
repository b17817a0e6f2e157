#pragma once

#include "platform/api/mailautomation.h"

#include <QString>
#include <QStringList>

// The user's desktop mail program behind the mail automation: the desktop's default mail
// handler, else the first known one installed. Attaching needs it running for this user; a
// folder's Display starts it (or hands the request to the running one) on the matching view,
// detached, so that it outlives the browser.
class DesktopMailAutomation final : public MailAutomation
{
public:
    // processFolder lists the running processes, one folder per process id.
    explicit DesktopMailAutomation(QString processFolder = QStringLiteral("/proc"));

    std::shared_ptr<MailApplication> GetObject(const QString &className) override;
    std::shared_ptr<MailApplication> CreateObject(const QString &className) override;

private:
    bool isRunning(const QStringList &processNames) const;

    QString m_processFolder;
};
