#pragma once

#include "platform/api/mailautomation.h"

#include <QStringList>

// A mail program's object model that records every call, in order, as "Operation(arguments)".
// Starting the program makes it run, so the next command attaches to it. failingCall names the
// one operation that fails, with failureNumber.
class RecordingMailAutomation final : public MailAutomation
{
public:
    struct Log
    {
        QStringList calls;
        QString failingCall;
        int failureNumber = 0;
        // The folder last handed out.
        std::weak_ptr<MailFolder> lastFolder;
        void record(const QString &call);
    };

    std::shared_ptr<MailApplication> GetObject(const QString &className) override;
    std::shared_ptr<MailApplication> CreateObject(const QString &className) override;

    bool running = false;
    bool installed = true;
    // Shared with the objects handed out, which may outlive this one.
    std::shared_ptr<Log> log = std::make_shared<Log>();
};
