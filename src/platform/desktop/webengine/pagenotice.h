#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

// A notice of our own that covers the view it is made in: a text and one button, kept over
// the view as it is resized and as the engine adds surfaces of its own.
class PageNotice : public QFrame
{
    Q_OBJECT

protected:
    // The notice, its text and its button are named name + "Notice", "Text" and buttonName.
    PageNotice(QWidget *view, const QString &name, const QString &buttonName,
               const QString &buttonText);

    // Shows text over the view; the button takes the keyboard when the page had it.
    void showText(const QString &text);
    bool eventFilter(QObject *watched, QEvent *event) override;

    QLabel *m_text;
    QPushButton *m_button;
};
