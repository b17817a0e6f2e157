#include "platform/desktop/text/plaintextarea.h"

#include "platform/api/platformerror.h"
#include "platform/api/shownlimits.h"
#include "platform/api/systemencoding.h"
#include "platform/desktop/text/userfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QPrinter>
#include <QScopeGuard>
#include <QTextBlock>
#include <QTextDocument>

namespace {

qsizetype longestLine(QStringView text)
{
    qsizetype longest = 0;
    qsizetype current = 0;
    for (const QChar c : text) {
        current = (c == u'\n' || c == u'\r') ? 0 : current + 1;
        longest = qMax(longest, current);
    }
    return longest;
}

} // namespace

PlainTextArea::PlainTextArea(QWidget *parent)
    : QPlainTextEdit(parent)
{
}

QString PlainTextArea::Text() const
{
    // Block by block rather than toPlainText(), which turns no-break spaces into spaces.
    QStringList lines;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
        lines.append(block.text());
    return lines.join(QStringLiteral("\r\n"));
}

// setPlainText ends a line at CR LF, a lone CR and a lone LF alike.
void PlainTextArea::setText(const QString &text)
{
    setPlainText(text);
}

void PlainTextArea::setContent(const QString &text)
{
    clear();
    if (text.size() > ShownLimits::MaxTextChars) {
        throw PlatformError(ErrorCode::Overflow,
                            tr("The text has %L1 characters, more than the %L2 that the source "
                               "view shows.")
                                .arg(text.size())
                                .arg(ShownLimits::MaxTextChars));
    }
    // Whole lines at a time, so that no line is laid out again as it grows; the window
    // paints between pieces, so a long text never holds it still.
    constexpr qsizetype PieceChars = 256 * 1024;
    // As setPlainText: no undo of the filling, which would hold the text once more.
    document()->setUndoRedoEnabled(false);
    const auto undoAgain = qScopeGuard([this] { document()->setUndoRedoEnabled(true); });
    QTextCursor end(document());
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype stop = qMin(start + PieceChars, text.size());
        while (stop < text.size() && text.at(stop - 1) != u'\n' && text.at(stop - 1) != u'\r')
            ++stop;
        if (stop < text.size() && text.at(stop - 1) == u'\r' && text.at(stop) == u'\n')
            ++stop; // CR LF ends one line, not two
        if (longestLine(QStringView(text).sliced(start, stop - start))
            > ShownLimits::MaxLineChars) {
            clear();
            throw PlatformError(ErrorCode::Overflow,
                                tr("The text has a line of more than %L1 characters, longer "
                                   "than the source view shows.")
                                    .arg(ShownLimits::MaxLineChars));
        }
        end.insertText(text.mid(start, stop - start));
        start = stop;
        if (start < text.size())
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    moveCursor(QTextCursor::Start);
}

void PlainTextArea::setTextRTF(const QString &text)
{
    // Rich text is never interpreted here: the area holds what it is given.
    setPlainText(text);
}

void PlainTextArea::SelPrint(QPrinter &printer)
{
    const QTextCursor cursor = textCursor();
    QString text = Text();
    if (cursor.hasSelection()) {
        text = cursor.selectedText();
        text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    }
    QTextDocument document;
    document.setDefaultFont(font());
    document.setPlainText(text);
    // QTextDocument::print() keeps to a page range left in the printer (the dialog may open
    // with one chosen), which would cut the printout. The printer gets its range back for
    // the next dialog.
    const QPrinter::PrintRange range = printer.printRange();
    const int fromPage = printer.fromPage();
    const int toPage = printer.toPage();
    printer.setPrintRange(QPrinter::AllPages);
    printer.setFromTo(0, 0);
    document.print(&printer);
    printer.setPrintRange(range);
    printer.setFromTo(fromPage, toPage);
    // QTextDocument::print() stays silent when the job cannot start; the caller must know.
    if (printer.printerState() == QPrinter::Error) {
        const QString target = printer.outputFileName().isEmpty()
            ? printer.printerName()
            : QDir::toNativeSeparators(printer.outputFileName());
        throw PlatformError(ErrorCode::Unexpected,
                            tr("The text could not be printed on %1.").arg(target));
    }
}

void PlainTextArea::SaveFile(const QString &path, int fileType)
{
    if (fileType != RichTextArea::TextFile)
        throw PlatformError(ErrorCode::InvalidProcedureCall,
                            tr("Unsupported file type %1.").arg(fileType));
    writeUserFile(path, toSystemEncoding(Text()));
}

void PlainTextArea::SetFocus()
{
    setFocus();
}

QString PlainTextArea::SearchText() const
{
    return toPlainText();
}

void PlainTextArea::Select(int start, int length)
{
    QTextCursor cursor(document());
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    ensureCursorVisible();
}

void PlainTextArea::SetZoom(qreal factor)
{
    // Zoomed from the size the area was made with, so steps never drift.
    if (m_normalPointSize <= 0)
        m_normalPointSize = font().pointSizeF();
    QFont zoomed = font();
    zoomed.setPointSizeF(m_normalPointSize * factor);
    setFont(zoomed);
}
