#include "ui/statusline.h"

#include "ui/webbrowserhost.h"

#include <QStringList>

void StatusLine::set(Part part, const QString &text)
{
    m_parts[part] = text;
    QStringList shown;
    for (const QString &each : m_parts) {
        if (!each.isEmpty())
            shown.append(each);
    }
    m_host.setStatusText(shown.join(QStringLiteral("; ")));
}
