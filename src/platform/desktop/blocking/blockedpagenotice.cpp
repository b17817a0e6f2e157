#include "platform/desktop/blocking/blockedpagenotice.h"

#include <QLabel>
#include <QPushButton>

BlockedPageNotice::BlockedPageNotice(QWidget *view)
    : PageNotice(view, QStringLiteral("blockedPage"), QStringLiteral("blockedPageOpen"),
                 tr("&Open anyway"))
{
    setAccessibleName(tr("Page blocked"));
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_button->setAccessibleName(tr("Open the blocked page anyway"));
    connect(m_button, &QPushButton::clicked, this,
            [this] { Q_EMIT openAnywayRequested(m_address); });
}

void BlockedPageNotice::showFor(const QUrl &address, const QString &rule)
{
    m_address = address;
    showText(tr("This page is blocked by your filter lists.\n\n%1\n\n"
                "The rule that matched it:\n%2")
                 .arg(address.toDisplayString(), rule));
    m_text->setAccessibleName(m_text->text());
}
