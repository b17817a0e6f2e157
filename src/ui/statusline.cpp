#include "ui/statusline.h"

#include "ui/webbrowserhost.h"

#include <QStringList>

void StatusLine::set(Part part, const QString &text)
{
    m_parts[part] = text;
    QStringList shown;
    for (const QString &each : m_parts) {
        if (each.isEmpty())
            continue;
        // A sentence's full stop does not go before the "; " that joins it to the next part.
        if (!shown.isEmpty() && shown.last().endsWith(u'.') && !shown.last().endsWith(u".."))
            shown.last().chop(1);
        shown.append(each);
    }
    m_host.setStatusText(shown.join(QStringLiteral("; ")));
}

void StatusLine::setTrouble(const QString &source, const QString &text)
{
    m_troubles.removeIf([&](const QPair<QString, QString> &each) { return each.first == source; });
    if (!text.isEmpty())
        m_troubles.append({ source, text });
    set(Trouble, m_troubles.isEmpty() ? QString() : m_troubles.constLast().second);
}
