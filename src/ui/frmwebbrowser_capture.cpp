// The browser window's desktop tools: print the window, capture it to a picture file, save a
// clipboard picture, save the page as text.

#include "capture/clipboardpicture.h"
#include "capture/pagetextname.h"
#include "capture/snapshotkeys.h"
#include "platform/api/clipboard.h"
#include "platform/api/keyboardevents.h"
#include "platform/api/messagebox.h"
#include "platform/api/picturewriter.h"
#include "platform/api/settingsstore.h"
#include "platform/api/webbrowsercontrol.h"
#include "ui/commanddialogs.h"
#include "ui/frmwebbrowser.h"
#include "ui/webbrowserhost.h"

#include <optional>
#include <QPainter>
#include <QPrinter>

void frmWebBrowser::mnuCopyPrintDesktop_Click()
{
    m_guard.report("mnuCopyPrintDesktop_Click", [&] {
        CommandDialogs::showPrinter(m_host.commonDialog());
        PrintForm();
    });
}

void frmWebBrowser::mnuCopyCapDeskTop_Click()
{
    m_guard.report("mnuCopyCapDeskTop_Click", [&] {
        const std::optional<QString> target = CommandDialogs::showSave(
            m_host.commonDialog(), *m_platform.settings, CommandDialogs::SavedFile::Picture);
        if (!target)
            return;
        Clipboard &clipboard = *m_platform.clipboard;
        KeyboardEvents &keyboard = *m_platform.keyboard;
        clipboard.Clear();
        // The dialog has closed, so the window active now is the one captured.
        for (const Capture::KeyStroke &key : Capture::activeWindowSnapshot) {
            keyboard.keybd_event(key.virtualKey, key.scanCode, key.flags, key.extraInfo);
            keyboard.DoEvents();
        }
        m_platform.pictureWriter->SavePicture(clipboard.GetData(Capture::AnyPictureFormat),
                                              *target);
        clipboard.Clear();
    });
}

void frmWebBrowser::mnuCopySaveDesktopFromClip_Click()
{
    m_guard.report("mnuCopySaveDesktopFromClip_Click", [&] {
        Clipboard &clipboard = *m_platform.clipboard;
        if (!Capture::holdsPicture(clipboard)) {
            m_platform.messageBox->MsgBox(tr("No picture in clipboard yet"));
            return;
        }
        const std::optional<QString> target = CommandDialogs::showSave(
            m_host.commonDialog(), *m_platform.settings, CommandDialogs::SavedFile::Picture);
        if (!target)
            return;
        m_platform.pictureWriter->SavePicture(clipboard.GetData(Capture::AnyPictureFormat),
                                              *target);
        clipboard.Clear();
    });
}

void frmWebBrowser::mnuCopySaveTextFromClip_Click()
{
    // The page chooses its own title: one that is no plain file name in the working folder,
    // or that names a file the program keeps, saves nothing, silently, like a name the file
    // system refuses.
    Failure::skip([&] {
        const auto name = Capture::pageTextFileName(ctlWebBrowser->LocationName());
        if (name
            && !Capture::isKeptFile(
                *name, QStringList { FavoritesFilePath } + m_platform.settings->files()))
            ctlWebBrowser->document().ExecWB(DocumentAccess::SaveAsCommand,
                                             DocumentAccess::DontPromptUser, *name);
    });
}

void frmWebBrowser::PrintForm()
{
    QPrinter &printer = m_host.commonDialog().hDC();
    const QImage picture = grab().toImage();
    const auto fail = [&] {
        throw PlatformError(ErrorCode::PrinterError,
                            tr("The window could not be printed on %1.")
                                .arg(printer.outputFileName().isEmpty()
                                         ? printer.printerName()
                                         : printer.outputFileName()));
    };

    QPainter painter;
    if (!painter.begin(&printer))
        fail();
    // As large as one page allows, keeping the window's proportions, across the top.
    const QRect page = painter.viewport();
    QRect target(QPoint(), picture.size().scaled(page.size(), Qt::KeepAspectRatio));
    target.moveTopLeft(page.topLeft() + QPoint((page.width() - target.width()) / 2, 0));
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, picture);
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        fail();
}
