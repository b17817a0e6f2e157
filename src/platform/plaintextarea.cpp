#include "plaintextarea.h"

#include "platformerror.h"
#include "systemencoding.h"

#include <QDir>
#include <QPrinter>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextDocument>

namespace {

constexpr int PlainTextFileType = 1;

// Lines as the callers write them: CR LF, a lone CR and a lone LF each end one line.
QString withLineFeeds(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
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

void PlainTextArea::setText(const QString &text)
{
    setPlainText(withLineFeeds(text));
}

void PlainTextArea::setContent(const QString &text)
{
    setPlainText(withLineFeeds(text));
}

void PlainTextArea::setTextRTF(const QString &text)
{
    // Rich text is never interpreted here: the area holds what it is given.
    setPlainText(withLineFeeds(text));
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
    document.print(&printer);
    if (printer.printerState() == QPrinter::Error)
        throw PlatformError(ErrorCode::Unexpected, tr("The text could not be printed."));
}

void PlainTextArea::SaveFile(const QString &path, int fileType)
{
    if (fileType != PlainTextFileType)
        throw PlatformError(ErrorCode::InvalidProcedureCall,
                            tr("Unsupported file type %1.").arg(fileType));
    // Written beside the old file and renamed over it: a failure leaves the old file intact.
    QSaveFile file(path);
    const auto fail = [&] {
        throw PlatformError(ErrorCode::PathFileAccess,
                            tr("Cannot write the file %1: %2")
                                .arg(QDir::toNativeSeparators(path), file.errorString()));
    };
    if (!file.open(QIODevice::WriteOnly))
        fail();
    const QByteArray bytes = toSystemEncoding(Text());
    if (file.write(bytes) != bytes.size())
        fail();
    if (!file.commit())
        fail();
}

void PlainTextArea::SetFocus()
{
    setFocus();
}
