// The browser window's mail shortcuts: each opens a folder of the user's mail program in the
// program's own window.

#include "frmwebbrowser.h"
#include "mailautomation.h"
#include "mailsession.h"

void frmWebBrowser::OpenMailFolder(const QString &folderName)
{
    MailApp = Mail::attachOrStart(*m_platform.mail);
    reportAndLeave(
        "OutlookLogon",
        [&] {
            MailNamespace = Mail::mapiNamespace(*MailApp);
            Mail::logOn(*MailNamespace);
            if (const auto folder = Mail::defaultFolderNamed(folderName))
                ShowFolder(*folder);
            CloseMailSession();
        },
        Failure::DialogCancel::IsReported);
}

void frmWebBrowser::ShowFolder(Mail::DefaultFolder folder)
{
    MailFolder = Mail::defaultFolder(*MailNamespace, folder);
    MailFolder->Display();
}

void frmWebBrowser::CloseMailSession()
{
    MailNamespace->Logoff();
    MailNamespace.reset();
    MailApp.reset();
}
