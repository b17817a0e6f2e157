#include "accessibility/focusframe.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>

FocusFrame::FocusFrame(QWidget *view)
    : QWidget(view)
{
    setObjectName(QStringLiteral("focusFrame"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    view->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, &FocusFrame::follow);
    hide();
}

bool FocusFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget()
        && (event->type() == QEvent::Resize || event->type() == QEvent::ChildAdded))
        follow();
    return QWidget::eventFilter(watched, event);
}

void FocusFrame::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int width = 2;
    painter.setPen(QPen(palette().color(QPalette::Active, QPalette::Highlight), width));
    painter.drawRect(rect().adjusted(width / 2, width / 2, -width / 2, -width / 2));
}

void FocusFrame::follow()
{
    QWidget *view = parentWidget();
    QWidget *focus = QApplication::focusWidget();
    const bool inView = focus && focus != this && (focus == view || view->isAncestorOf(focus));
    setGeometry(view->rect());
    setVisible(inView);
    // Above the page's own surface, and above a notice that covers it.
    if (inView)
        raise();
}
