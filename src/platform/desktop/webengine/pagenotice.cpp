#include "platform/desktop/webengine/pagenotice.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

PageNotice::PageNotice(QWidget *view, const QString &name, const QString &buttonName,
                       const QString &buttonText)
    : QFrame(view)
    , m_text(new QLabel(this))
    , m_button(new QPushButton(buttonText, this))
{
    setObjectName(name + QStringLiteral("Notice"));
    setAutoFillBackground(true);
    m_text->setObjectName(name + QStringLiteral("Text"));
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    m_text->setAlignment(Qt::AlignCenter);
    m_button->setObjectName(buttonName);
    auto *layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(m_text);
    layout->addWidget(m_button, 0, Qt::AlignCenter);
    layout->addStretch();
    view->installEventFilter(this);
    hide();
}

void PageNotice::showText(const QString &text)
{
    m_text->setText(text);
    // The page that had the keyboard is covered; the window's keys must go on working.
    const QWidget *focus = QApplication::focusWidget();
    const bool pageHadFocus = parentWidget() == focus || parentWidget()->isAncestorOf(focus);
    setGeometry(parentWidget()->rect());
    show();
    raise();
    if (pageHadFocus)
        m_button->setFocus();
}

bool PageNotice::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    // The engine may put a new surface of its own over the view's children.
    if (watched == parentWidget() && event->type() == QEvent::ChildAdded && isVisible())
        QTimer::singleShot(0, this, &QWidget::raise);
    return QFrame::eventFilter(watched, event);
}
