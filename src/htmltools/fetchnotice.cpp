#include "htmltools/fetchnotice.h"

#include "platform/api/platformerror.h"

#include <QCoreApplication>

namespace HtmlTools {

namespace {

QString shortened(const QString &address)
{
    if (address.size() <= MaxNoticeAddressLength)
        return address;
    const qsizetype kept = MaxNoticeAddressLength - 1;
    return address.left(kept - kept / 2) + QChar(0x2026) + address.right(kept / 2);
}

// "Connection refused." reads as "connection refused" after the colon; "SSL handshake
// failed" keeps its capitals.
QString asClause(QString reason)
{
    reason = reason.simplified();
    while (reason.endsWith(QLatin1Char('.')))
        reason.chop(1);
    if (reason.size() >= 2 && reason.at(0).isUpper() && reason.at(1).isLower())
        reason[0] = reason.at(0).toLower();
    return reason;
}

} // namespace

QString fetchFailureNotice(const QString &address, const QString &reason)
{
    const QString where = shortened(address.simplified());
    const QString why = asClause(reason);
    if (why.isEmpty())
        return QCoreApplication::translate("HtmlTools", "Could not fetch %1").arg(where);
    return QCoreApplication::translate("HtmlTools", "Could not fetch %1: %2").arg(where, why);
}

void noteTooLarge(QString &notice, const std::function<void()> &step)
{
    try {
        step();
    } catch (const PlatformError &error) {
        if (error.number() == ErrorCode::Overflow)
            notice = error.description();
        throw;
    }
}

} // namespace HtmlTools
