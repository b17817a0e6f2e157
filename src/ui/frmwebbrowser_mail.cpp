// The browser window's mail shortcuts: each opens a folder of the user's mail program in the
// program's own window.

#include "mail/mailfolders.h"
#include "mail/mailsession.h"
#include "platform/api/mailautomation.h"
#include "ui/frmwebbrowser.h"

void frmWebBrowser::OpenMailFolder(const QString &folderName)
{
    MailApp = Mail::attachOrStart(*m_platform.mail);
    m_guard.report(
        "OutlookLogon",
        [&] {
            MailNamespace = Mail::mapiNamespace(*MailApp);
            Mail::logOn(*MailNamespace);
            if (const auto folder = Mail::defaultFolderNamed(folderName)) {
                MailFolder = Mail::defaultFolder(*MailNamespace, *folder);
                MailFolder->Display();
            }
            // The session ends; the folder stays shown in the mail program.
            MailNamespace->Logoff();
            MailNamespace.reset();
            MailApp.reset();
        },
        Failure::DialogCancel::IsReported);
}
