#pragma once

#include "platform/api/commondialog.h"

#include <functional>
#include <QList>
#include <QPrinter>
#include <QString>

// A common dialog that shows nothing. Every dialog is answered as the test scripted it
// (confirm, with `path` for a save, or cancel), and the properties are recorded as they
// stood when each dialog opened. The printer writes a PDF file, so a test can read what
// was printed.
class ScriptedCommonDialog final : public CommonDialog
{
public:
    struct Shown
    {
        QString kind; // "printer", "save" or "preview"
        QString title;
        bool cancelError = false;
        int flags = 0;
        QString fileName;
        QString initDir;
        QString filter;
    };

    explicit ScriptedCommonDialog(const QString &pdfPath = QString());

    void ShowPrinter() override;
    void ShowSave() override;
    QPrinter &hDC() override;
    // Paints on the PDF printer, as the print from a preview does.
    void ShowPrintPreview(const std::function<void(QPrinter &)> &paint) override;

    bool cancel = false;
    // What the user sets in a confirmed printer dialog.
    std::function<void(QPrinter &)> choose;
    QString path; // what a confirmed save dialog returns
    int filterChosen = 1; // the kind of file a confirmed save dialog returns
    QList<Shown> shown;
    QPrinter printer;

private:
    void show(const QString &kind);
    bool m_printerChosen = false;
};
