// The browser window's mail shortcuts: each opens a folder of the user's mail program in the
// program's own window.

#include "frmwebbrowser.h"
#include "mailautomation.h"
#include "mailsession.h"

void frmWebBrowser::openInbox()
{
    OpenMailFolder(QStringLiteral("Inbox"));
}

void frmWebBrowser::openOutbox()
{
    OpenMailFolder(QStringLiteral("Outbox"));
}

void frmWebBrowser::openContacts()
{
    OpenMailFolder(QStringLiteral("Contacts"));
}

void frmWebBrowser::OpenMailFolder(const QString &folderName)
{
    MailApp = Mail::attachOrStart(*m_platform.mail);
    reportAndLeave(
        "OutlookLogon",
        [&] {
            MailNamespace = Mail::mapiNamespace(*MailApp);
            Mail::logOn(*MailNamespace);
            const std::optional<Mail::DefaultFolder> folder = Mail::defaultFolderNamed(folderName);
            if (folder == Mail::DefaultFolder::Inbox)
                ShowInbox();
            else if (folder == Mail::DefaultFolder::Outbox)
                ShowOutbox();
            else if (folder == Mail::DefaultFolder::Contacts)
                ShowContacts();
            CloseMailSession();
        },
        Failure::DialogCancel::IsReported);
}

void frmWebBrowser::ShowInbox()
{
    MailFolder = Mail::defaultFolder(*MailNamespace, Mail::DefaultFolder::Inbox);
    MailFolder->Display();
}

void frmWebBrowser::ShowOutbox()
{
    MailFolder = Mail::defaultFolder(*MailNamespace, Mail::DefaultFolder::Outbox);
    MailFolder->Display();
}

void frmWebBrowser::ShowContacts()
{
    MailFolder = Mail::defaultFolder(*MailNamespace, Mail::DefaultFolder::Contacts);
    MailFolder->Display();
}

void frmWebBrowser::CloseMailSession()
{
    MailNamespace->Logoff();
    MailNamespace.reset();
    MailApp.reset();
}
