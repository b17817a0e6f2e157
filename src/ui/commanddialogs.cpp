#include "ui/commanddialogs.h"

#include "platform/api/failure.h"
#include "platform/api/settingsstore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPageRanges>
#include <QPrinter>
#include <QScopeGuard>
#include <QStandardPaths>

namespace CommandDialogs {

namespace {

const QString Application = QStringLiteral("ZivaruruviVO");
const QString Section = QStringLiteral("Save folders");

QString keyOf(SavedFile kind)
{
    switch (kind) {
    case SavedFile::HtmlText:
        return QStringLiteral("HTML text");
    case SavedFile::Picture:
        return QStringLiteral("Picture");
    case SavedFile::Page:
        return QStringLiteral("Page");
    }
    return QString();
}

QString startFolder(const SettingsStore &settings, SavedFile kind)
{
    const QString kept = settings.GetSetting(Application, Section, keyOf(kind));
    if (!kept.isEmpty() && QFileInfo(kept).isDir())
        return kept;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

} // namespace

void showPrinter(CommonDialog &dialog)
{
    dialog.DialogTitle = QCoreApplication::translate("frmWebBrowser", "Print");
    dialog.CancelError = true;
    dialog.Flags = PrintFlags;
    dialog.ShowPrinter();

    QPrinter &printer = dialog.hDC();
    printer.setPrintRange(QPrinter::AllPages);
    printer.setFromTo(0, 0);
    printer.setPageRanges(QPageRanges());
    dialog.DropPrintSystemPageOptions();
}

std::optional<QString> showSave(CommonDialog &dialog, SettingsStore &settings, SavedFile kind,
                                const QString &suggestedName, const QString &filter)
{
    dialog.FileName = suggestedName;
    dialog.Flags = SaveFlags;
    dialog.Filter = filter;
    dialog.FilterIndex = 1;
    dialog.InitDir = startFolder(settings, kind);
    // With a name suggested, only the cancel error can tell a cancel from a choice.
    const bool cancelError = dialog.CancelError;
    if (!suggestedName.isEmpty())
        dialog.CancelError = true;
    const auto restore = qScopeGuard([&] { dialog.CancelError = cancelError; });
    dialog.ShowSave();
    if (dialog.FileName.isEmpty())
        return std::nullopt;
    // Only a convenience: a store that cannot keep it changes nothing of the save.
    Failure::skip([&] {
        settings.SaveSetting(Application, Section, keyOf(kind),
                             QFileInfo(dialog.FileName).absolutePath());
    });
    return dialog.FileName;
}

} // namespace CommandDialogs
