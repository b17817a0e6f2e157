// The browser window's desktop tools: print, capture and clipboard saves. They arrive
// with the printer, picture and clipboard services; until then they leave everything as
// it is.

#include "frmwebbrowser.h"

void frmWebBrowser::mnuCopyPrintDesktop_Click() { }
void frmWebBrowser::mnuCopyCapDeskTop_Click() { }
void frmWebBrowser::mnuCopySaveDesktopFromClip_Click() { }
void frmWebBrowser::mnuCopySaveTextFromClip_Click() { }
