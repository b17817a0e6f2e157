#include "platform/desktop/webengine/pagetroublenotice.h"

#include <QLabel>
#include <QPushButton>

PageTroubleNotice::PageTroubleNotice(QWidget *view)
    : PageNotice(view, QStringLiteral("pageTrouble"), QStringLiteral("pageTroubleReload"),
                 tr("&Reload the page"))
{
    setAccessibleName(tr("Page stopped"));
    connect(m_button, &QPushButton::clicked, this, &PageTroubleNotice::reloadRequested);
}

void PageTroubleNotice::showFor(const QString &reason, const QString &address)
{
    const QString text = tr("This page stopped unexpectedly: %1.\n\n%2\n\n"
                            "Nothing is loaded again by itself; reload it when you want it back.")
                             .arg(reason, address);
    // The reader says what happened where the focus lands, on the button, too.
    setAccessibleDescription(text);
    m_button->setAccessibleDescription(text);
    showText(text);
}
