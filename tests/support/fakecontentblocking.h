#pragma once

#include "platform/api/contentblocking.h"
#include "platform/api/platformerror.h"

#include <QHash>
#include <QSet>
#include <QUrl>

// Blocking as the test sets it: counts per control, the switch and the allowed sites kept
// in memory, updates counted. With failWrites, every choice fails as a full store would.
class FakeContentBlocking final : public ContentBlocking
{
public:
    int blockedCount(const WebBrowserControl *control) const override
    {
        return counts.value(control);
    }
    bool isEnabled() const override { return enabled; }
    void setEnabled(bool on) override
    {
        failIfAsked();
        enabled = on;
    }
    bool isAllowedOn(const QString &url) const override
    {
        return allowedSites.contains(QUrl(url).host());
    }
    void setAllowedOn(const QString &url, bool allowed) override
    {
        failIfAsked();
        const QString site = QUrl(url).host();
        if (site.isEmpty())
            throw PlatformError(ErrorCode::InvalidProcedureCall, QStringLiteral("no site"));
        if (allowed)
            allowedSites.insert(site);
        else
            allowedSites.remove(site);
    }
    void updateLists() override { ++updates; }
    // Refuses the selectors in refused as a page would, else keeps "host##selector".
    void hideOnSite(const WebBrowserControl *, const QString &host,
                    const QString &selector) override
    {
        failIfAsked();
        if (refused.contains(selector))
            throw PlatformError(ErrorCode::InvalidProcedureCall,
                                QStringLiteral("not a selector: ") + selector);
        hidingRules.append(host + QStringLiteral("##") + selector);
    }

    // As the engine reports requests blocked on the control's page.
    void setCount(const WebBrowserControl *control, int count)
    {
        counts[control] = count;
        Q_EMIT blockedCountChanged(control);
    }

    QHash<const WebBrowserControl *, int> counts;
    bool enabled = true;
    QSet<QString> allowedSites;
    int updates = 0;
    QSet<QString> refused;
    QStringList hidingRules;
    bool failWrites = false;

private:
    void failIfAsked() const
    {
        if (failWrites)
            throw PlatformError(ErrorCode::PathFileAccess,
                                QStringLiteral("Path/File access error"));
    }
};
