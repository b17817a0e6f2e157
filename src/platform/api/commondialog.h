#pragma once

#include <optional>
#include <QCoreApplication>
#include <QString>

class QPrinter;

// The common dialog component (CommonDialog1) of the frame: printer and save-file dialogs.
// Its properties keep the values that the last caller set.
class CommonDialog
{
public:
    virtual ~CommonDialog() = default;

    QString DialogTitle;
    bool CancelError = false;
    int Flags = 0;
    QString FileName;

    // With CancelError set, a cancel fails with ErrorCode::CommonDialogCancel; otherwise a
    // cancel returns and leaves FileName as it was.
    virtual void ShowPrinter() = 0;
    virtual void ShowSave() = 0;
    // The printer that the last ShowPrinter chose; fails unless that dialog was confirmed
    // with PrinterReturnDC set.
    virtual QPrinter &hDC() = 0;

    // Flags of the printer dialog.
    static constexpr int PrinterPageNumbers = 0x2; // opens with the page range option chosen
    static constexpr int PrinterReturnDC = 0x100; // hDC gives the chosen printer
    // Flags of the save dialog.
    static constexpr int SaveOverwritePrompt = 0x2; // asks before replacing an existing file
    // What the program's print and save commands ask for.
    static constexpr int PrintCommandFlags = PrinterReturnDC | PrinterPageNumbers; // 258
    static constexpr int SaveCommandFlags = SaveOverwritePrompt;

    // The printer dialog as the program's print commands show it: a cancel fails, and on
    // success hDC gives the chosen printer.
    void ShowPrinterForCommand()
    {
        DialogTitle = QCoreApplication::translate("frmWebBrowser", "Print");
        CancelError = true;
        Flags = PrintCommandFlags;
        ShowPrinter();
    }
    // The save dialog as the program's save commands show it, offering no name of its own.
    // The chosen name, or nothing when the user cancelled.
    std::optional<QString> ShowSaveForCommand()
    {
        FileName = QString();
        Flags = SaveCommandFlags;
        ShowSave();
        if (FileName.isEmpty())
            return std::nullopt;
        return FileName;
    }
};
