#pragma once

#include <QWidget>

// A frame in the highlight colour around a view that shows no focus, or too little, of its
// own (the page: only its links and fields show the focus, the page as a whole does not),
// drawn while the keyboard is in the view. It lies over the view's edges and lets the mouse
// through.
class FocusFrame final : public QWidget
{
    Q_OBJECT

public:
    explicit FocusFrame(QWidget *view);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void follow();
};
