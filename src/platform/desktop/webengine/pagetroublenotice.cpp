#include "pagetroublenotice.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

PageTroubleNotice::PageTroubleNotice(QWidget *view)
    : QFrame(view)
    , m_text(new QLabel(this))
    , m_reload(new QPushButton(tr("&Reload the page"), this))
{
    setObjectName(QStringLiteral("pageTroubleNotice"));
    setAccessibleName(tr("Page stopped"));
    setAutoFillBackground(true);
    m_text->setObjectName(QStringLiteral("pageTroubleText"));
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    m_text->setAlignment(Qt::AlignCenter);
    m_reload->setObjectName(QStringLiteral("pageTroubleReload"));
    auto *layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(m_text);
    layout->addWidget(m_reload, 0, Qt::AlignCenter);
    layout->addStretch();
    connect(m_reload, &QPushButton::clicked, this, &PageTroubleNotice::reloadRequested);
    view->installEventFilter(this);
    hide();
}

void PageTroubleNotice::showFor(const QString &reason, const QString &address)
{
    m_text->setText(tr("This page stopped unexpectedly: %1.\n\n%2\n\n"
                       "Nothing is loaded again by itself; reload it when you want it back.")
                        .arg(reason, address));
    // The reader says what happened where the focus lands, on the button, too.
    setAccessibleDescription(m_text->text());
    m_reload->setAccessibleDescription(m_text->text());
    // The page that had the keyboard is gone; the window's keys must go on working.
    const bool pageHadFocus = parentWidget()->isAncestorOf(QApplication::focusWidget());
    setGeometry(parentWidget()->rect());
    show();
    raise();
    if (pageHadFocus)
        m_reload->setFocus();
}

bool PageTroubleNotice::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    // The engine may put a new surface of its own over the view's children.
    if (watched == parentWidget() && event->type() == QEvent::ChildAdded && isVisible())
        QTimer::singleShot(0, this, &QWidget::raise);
    return QFrame::eventFilter(watched, event);
}
