#include "plaintextarea.h"

#include "platformerror.h"
#include "systemencoding.h"
#include "userfile.h"

#include <QDir>
#include <QPrinter>
#include <QTextBlock>
#include <QTextDocument>

namespace {

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
    setPlainText(text);
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
