#include "blockedpagenotice.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

BlockedPageNotice::BlockedPageNotice(QWidget *view)
    : QFrame(view)
    , m_text(new QLabel(this))
    , m_open(new QPushButton(tr("&Open anyway"), this))
{
    setObjectName(QStringLiteral("blockedPageNotice"));
    setAccessibleName(tr("Page blocked"));
    setAutoFillBackground(true);
    m_text->setObjectName(QStringLiteral("blockedPageText"));
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    m_text->setAlignment(Qt::AlignCenter);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_open->setObjectName(QStringLiteral("blockedPageOpen"));
    m_open->setAccessibleName(tr("Open the blocked page anyway"));
    auto *layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(m_text);
    layout->addWidget(m_open, 0, Qt::AlignCenter);
    layout->addStretch();
    connect(m_open, &QPushButton::clicked, this, [this] { Q_EMIT openAnywayRequested(m_address); });
    view->installEventFilter(this);
    hide();
}

void BlockedPageNotice::showFor(const QUrl &address, const QString &rule)
{
    m_address = address;
    m_text->setText(tr("This page is blocked by your filter lists.\n\n%1\n\n"
                       "The rule that matched it:\n%2")
                        .arg(address.toDisplayString(), rule));
    m_text->setAccessibleName(m_text->text());
    const bool pageHadFocus = parentWidget()->isAncestorOf(QApplication::focusWidget())
        || parentWidget() == QApplication::focusWidget();
    setGeometry(parentWidget()->rect());
    show();
    raise();
    if (pageHadFocus)
        m_open->setFocus();
}

bool BlockedPageNotice::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QFrame::eventFilter(watched, event);
}
