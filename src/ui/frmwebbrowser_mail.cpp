// The browser window's mail shortcuts. Opening a folder arrives with the mail program's
// automation; until then it leaves everything as it is.

#include "frmwebbrowser.h"

void frmWebBrowser::mnuMailInbox_Click()
{
    WebToolbar_ButtonClick(Buttons(QStringLiteral("tbrInbox")));
}

void frmWebBrowser::mnuMailOutbox_Click()
{
    WebToolbar_ButtonClick(Buttons(QStringLiteral("tbrOutbox")));
}

void frmWebBrowser::mnuMailContacts_Click()
{
    WebToolbar_ButtonClick(Buttons(QStringLiteral("tbrContacts")));
}

void frmWebBrowser::OpenMailFolder(const QString &folderName)
{
    Q_UNUSED(folderName);
}
