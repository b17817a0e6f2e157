// The browser window's mail shortcuts. They arrive with the mail client's automation;
// until then opening a folder leaves everything as it is.

#include "frmwebbrowser.h"

void frmWebBrowser::OpenMailFolder(const QString &folderName)
{
    Q_UNUSED(folderName);
}
