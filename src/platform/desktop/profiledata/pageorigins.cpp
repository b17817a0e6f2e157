#include "platform/desktop/profiledata/pageorigins.h"

#include <algorithm>
#include <QUrl>

namespace PageOrigins {

namespace {

const QString File = QStringLiteral("file://");

bool ofTheWeb(const QString &scheme)
{
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

} // namespace

QString of(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("file"))
        return File;
    const QString host = url.host(QUrl::FullyEncoded).toLower();
    if (!ofTheWeb(scheme) || host.isEmpty())
        return {};
    QString origin = scheme + QStringLiteral("://")
        + (host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host);
    const int port = url.port();
    if (port >= 0 && port != (scheme == QLatin1String("https") ? 443 : 80))
        origin += QLatin1Char(':') + QString::number(port);
    return origin;
}

QString parse(const QString &text)
{
    return of(QUrl(text.section(QLatin1Char('^'), 0, 0), QUrl::StrictMode));
}

QString hostOf(const QString &origin)
{
    return QUrl(origin).host(QUrl::FullyEncoded);
}

bool reachable(const QString &origin)
{
    return ofTheWeb(QUrl(origin).scheme());
}

QString identifier(const QString &origin)
{
    const QUrl url(origin);
    QString host = url.host(QUrl::FullyEncoded);
    if (host.contains(QLatin1Char(':')))
        host = QLatin1Char('[') + host.replace(QLatin1Char(':'), QLatin1Char('_'))
            + QLatin1Char(']');
    return url.scheme() + QLatin1Char('_') + host + QLatin1Char('_')
        + QString::number(std::max(url.port(), 0));
}

QString fromIdentifier(const QString &name)
{
    QString identifier = name;
    if (const qsizetype kind = name.indexOf(QStringLiteral(".indexeddb.")); kind > 0)
        identifier.truncate(kind);
    const qsizetype first = identifier.indexOf(QLatin1Char('_'));
    const qsizetype last = identifier.lastIndexOf(QLatin1Char('_'));
    bool numbered = false;
    const uint port = identifier.mid(last + 1).toUInt(&numbered);
    if (first <= 0 || last <= first || !numbered || port > 65535)
        return {};
    const QString scheme = identifier.left(first);
    QString host = identifier.mid(first + 1, last - first - 1);
    if (scheme == QLatin1String("file"))
        return host.isEmpty() ? File : QString();
    if (host.startsWith(QLatin1Char('[')))
        host.replace(QLatin1Char('_'), QLatin1Char(':'));
    QUrl url;
    url.setScheme(scheme);
    url.setHost(host, QUrl::StrictMode);
    if (port != 0)
        url.setPort(int(port));
    return url.isValid() ? of(url) : QString();
}

} // namespace PageOrigins
