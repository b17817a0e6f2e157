#pragma once

#include "platform/api/sitedata.h"
#include "sitedata/sitepermissions.h"

#include <QList>
#include <QString>
#include <QStringList>

// The sites the site window lists, each with what is kept for it.
namespace SiteList {

struct Site
{
    QString name; // a host name, in lower case
    QList<StoredCookie> cookies;
    QList<SitePermissions::Answer> answers;
    bool storage = false; // its pages keep stored data
    bool thirdPartyCookies = false;
};

// Why a text typed for a site is not a host name.
enum class HostProblem { None, Empty, Scheme, Path, Spaces, Port, Invalid };

struct HostCheck
{
    QString host; // in lower case and ASCII, as the engine names hosts, when there is no problem
    HostProblem problem = HostProblem::None;
};

// The text as a host name ("example.com", "xn--bcher-kva.example", "127.0.0.1"): no scheme,
// port, path or spaces; surrounding spaces and one final dot are dropped.
HostCheck checkHost(const QString &text);

// One entry per site that has cookies, stored data, remembered answers or a cookie exception,
// sorted by name.
QList<Site> sites(const QList<StoredCookie> &cookies, const QStringList &storageSites,
                  const QList<SitePermissions::Answer> &answers,
                  const QStringList &thirdPartyCookieSites);

} // namespace SiteList
