#pragma once

#include "platform/api/richtextarea.h"

#include <QPlainTextEdit>

// The window's text area: a plain-text editor, so that HTML or RTF put into it is shown as
// the text it is and never formatted.
class PlainTextArea final : public QPlainTextEdit, public RichTextArea
{
    Q_OBJECT

public:
    explicit PlainTextArea(QWidget *parent = nullptr);

    QWidget *widget() override { return this; }

    QString Text() const override;
    void setText(const QString &text) override;
    void setContent(const QString &text) override;
    void setTextRTF(const QString &text) override;

    void SelPrint(QPrinter &printer) override;
    void SaveFile(const QString &path, int fileType) override;

    void SetFocus() override;
    QString SearchText() const override;
    void Select(int start, int length) override;
    void SetZoom(qreal factor) override;

private:
    qreal m_normalPointSize = 0;
};
