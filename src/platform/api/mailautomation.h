#pragma once

#include <memory>
#include <QString>

// The desktop mail client's automation object model.
class MailFolder
{
public:
    virtual ~MailFolder() = default;
    virtual void Display() = 0;
};

class MailNamespace
{
public:
    virtual ~MailNamespace() = default;
    virtual void Logon(const QString &profile, const QString &password, bool showDialog,
                       bool newSession)
        = 0;
    virtual std::shared_ptr<MailFolder> GetDefaultFolder(int folderNumber) = 0;
    virtual void Logoff() = 0;
};

class MailApplication
{
public:
    virtual ~MailApplication() = default;
    virtual std::shared_ptr<MailNamespace> GetNamespace(const QString &type) = 0;
};

class MailAutomation
{
public:
    virtual ~MailAutomation() = default;
    // The running instance of the class; fails when none runs.
    virtual std::shared_ptr<MailApplication> GetObject(const QString &className) = 0;
    // A new instance of the class; fails when no client is installed.
    virtual std::shared_ptr<MailApplication> CreateObject(const QString &className) = 0;
};
