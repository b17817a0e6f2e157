#include "sitedata/sitelist.h"

#include <algorithm>
#include <QMap>
#include <QRegularExpression>
#include <QUrl>

namespace SiteList {

HostCheck checkHost(const QString &text)
{
    QString host = text.trimmed();
    if (host.isEmpty())
        return { {}, HostProblem::Empty };
    // "mailto:a" and "http:example.com" name a scheme; "localhost:8080" a port.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:(?!\\d*$)"));
    if (host.contains(QStringLiteral("://")) || scheme.match(host).hasMatch())
        return { {}, HostProblem::Scheme };
    if (host.contains(QRegularExpression(QStringLiteral("[/?#\\\\]"))))
        return { {}, HostProblem::Path };
    if (host.contains(QRegularExpression(QStringLiteral("\\s"))))
        return { {}, HostProblem::Spaces };
    if (host.contains(QLatin1Char(':')))
        return { {}, HostProblem::Port };
    if (host.endsWith(QLatin1Char('.')))
        host.chop(1);
    const QString ace = QString::fromLatin1(QUrl::toAce(host)).toLower();
    static const QRegularExpression label(QStringLiteral("^[a-z0-9]([a-z0-9-]{0,61}[a-z0-9])?$"));
    const QStringList labels = ace.split(QLatin1Char('.'));
    const bool valid = !ace.isEmpty() && ace.size() <= 253
        && std::all_of(labels.cbegin(), labels.cend(),
                       [](const QString &part) { return label.match(part).hasMatch(); });
    if (!valid)
        return { {}, HostProblem::Invalid };
    return { ace, HostProblem::None };
}

QList<Site> sites(const QList<StoredCookie> &cookies, const QStringList &storageSites,
                  const QList<SitePermissions::Answer> &answers,
                  const QStringList &thirdPartyCookieSites)
{
    // A map keeps them sorted by name.
    QMap<QString, Site> byName;
    const auto entry = [&](const QString &name) -> Site & {
        Site &site = byName[name.toLower()];
        site.name = name.toLower();
        return site;
    };
    for (const StoredCookie &cookie : cookies) {
        if (const QString name = cookie.site(); !name.isEmpty())
            entry(name).cookies.append(cookie);
    }
    for (const QString &name : storageSites)
        entry(name).storage = true;
    for (const SitePermissions::Answer &answer : answers)
        entry(answer.site).answers.append(answer);
    for (const QString &name : thirdPartyCookieSites)
        entry(name).thirdPartyCookies = true;
    return byName.values();
}

} // namespace SiteList
