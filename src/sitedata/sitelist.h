#pragma once

#include "platform/api/sitedata.h"
#include "platform/api/sitepermissions.h"

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
    bool thirdPartyCookies = false;
};

// The site a cookie belongs to: its domain without the leading dot, in lower case.
QString siteOfCookie(const StoredCookie &cookie);
// Whether host is site or one of its subdomains.
bool covers(const QString &site, const QString &host);

// One entry per site that has cookies, remembered answers or a cookie exception, sorted by
// name.
QList<Site> sites(const QList<StoredCookie> &cookies, const QList<SitePermissions::Answer> &answers,
                  const QStringList &thirdPartyCookieSites);

} // namespace SiteList
