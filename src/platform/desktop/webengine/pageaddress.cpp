#include "platform/desktop/webengine/pageaddress.h"

#include <QHostAddress>
#include <QRegularExpression>

QString addressText(const QUrl &url)
{
    return url.toString(QUrl::EncodeSpaces);
}

bool engineTakesHost(const QUrl &url)
{
    QString host = url.host();
    if (host.endsWith(QLatin1Char('.')))
        host.chop(1);
    static const QRegularExpression number(QStringLiteral("^(0[xX][0-9a-fA-F]*|[0-9]+)$"));
    if (!number.match(host.section(QLatin1Char('.'), -1)).hasMatch())
        return true;
    return QHostAddress(host).protocol() == QAbstractSocket::IPv4Protocol;
}

bool isMadeFromAddress(const QString &title, const QUrl &url)
{
    if (title.isEmpty())
        return true;
    for (const QString &form : { url.toString(), addressText(url), url.toDisplayString() }) {
        QString shown = form;
        if (url.scheme() == QLatin1String("http"))
            shown.remove(0, int(qstrlen("http://")));
        if (url.path() == QLatin1String("/") && !url.hasQuery() && !url.hasFragment())
            shown.chop(1);
        if (title == form || title == shown)
            return true;
    }
    return false;
}
