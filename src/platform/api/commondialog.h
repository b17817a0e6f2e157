#pragma once

#include <functional>
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
    // Where a save dialog starts; "" for the folder of the last save.
    QString InitDir;
    // The kinds of file a save dialog offers, as "Description (*.ext)" separated by ";;"; ""
    // for any file. FilterIndex is the one chosen, from 1.
    QString Filter;
    int FilterIndex = 1;

    // With CancelError set, a cancel fails with ErrorCode::CommonDialogCancel; otherwise a
    // cancel returns and leaves FileName as it was.
    virtual void ShowPrinter() = 0;
    virtual void ShowSave() = 0;
    // The printer that the last ShowPrinter chose; fails unless that dialog was confirmed
    // with PrinterReturnDC set.
    virtual QPrinter &hDC() = 0;
    // A print preview: paint lays the document out on the printer it is given, for the
    // preview and again for the print; the user prints from the preview, or closes it, which
    // is a cancel as above.
    virtual void ShowPrintPreview(const std::function<void(QPrinter &)> &paint) = 0;
    // The print system's own page list and odd or even page set, which its printer dialog
    // keeps apart from the printer's page range, are let go: the whole document prints.
    // Nothing to do where the printer has none.
    virtual void DropPrintSystemPageOptions() { }

    // Flags of the printer dialog.
    static constexpr int PrinterPageNumbers = 0x2; // opens with the page range option chosen
    static constexpr int PrinterReturnDC = 0x100; // hDC gives the chosen printer
    // Flags of the save dialog.
    static constexpr int SaveOverwritePrompt = 0x2; // asks before replacing an existing file
};
