#pragma once

#include <QString>

class QPrinter;
class QWidget;

// The text area of the window (Text1): plain text only, never interpreted as markup.
class RichTextArea
{
public:
    virtual ~RichTextArea() = default;

    virtual QWidget *widget() = 0;

    // The whole content, lines separated by CR LF; "" when empty.
    virtual QString Text() const = 0;
    // Replaces the whole content; CR LF, CR and LF all end a line.
    virtual void setText(const QString &text) = 0;
    // Content write: puts the text in as plain text. Fails with PlatformError (overflow),
    // leaving the area empty, for a text over the bounds of ShownLimits.
    virtual void setContent(const QString &text) = 0;
    // The default property; given text that is not rich text, it holds that text unchanged.
    virtual void setTextRTF(const QString &text) = 0;

    // Prints the highlighted text, or all of it when nothing is highlighted, whatever page
    // range the printer holds; the area starts and ends the print job itself.
    virtual void SelPrint(QPrinter &printer) = 0;
    // SaveFile's one file type: plain text in the system's 8-bit encoding, CR LF line ends,
    // replacing the file.
    static constexpr int TextFile = 1;
    // fileType TextFile: plain text, as above. For files the user chose: where no temporary file
    // can be made beside it, the file is written in place. Fails with PlatformError when it cannot
    // be written.
    virtual void SaveFile(const QString &path, int fileType) = 0;

    virtual void SetFocus() = 0;

    // The text with "\n" between lines; its positions are the ones Select takes.
    virtual QString SearchText() const = 0;
    // Highlights length characters from start (0 highlights nothing) and shows them.
    virtual void Select(int start, int length) = 0;
    // Shows the text at a zoom of its normal size, 1.0 for 100 %.
    virtual void SetZoom(qreal factor) = 0;
};
