#pragma once

#include "platform/api/contentblocking.h"
#include "platform/desktop/blocking/pageblocking.h"

#include <memory>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QSet>
#include <QUrl>

namespace Filters {
class FilterEngine;
}
class FilterUpdater;
class QThread;
class QWebEngineProfile;
class QWebEngineUrlRequestInfo;
class QWebEngineUrlRequestInterceptor;
class SettingsStore;

// Content blocking on Qt WebEngine. The engine is built from the lists off the user-interface
// thread: at start the compiled form kept in the cache folder is loaded when the lists have
// not changed since it was written, and compiled anew (and kept) when they have, or when it is
// damaged. Until the engine is there, nothing is blocked; while blocking is off, the lists
// are not read at all.
class DesktopContentBlocking final : public ContentBlocking, private PageRules
{
    Q_OBJECT

public:
    // The lists are EasyList and EasyPrivacy from the system and the user's own in
    // "<dataFolder>/filters"; the compiled form is kept in cacheFolder.
    DesktopContentBlocking(std::shared_ptr<SettingsStore> settings, QString dataFolder,
                           QString cacheFolder);
    ~DesktopContentBlocking() override;

    // From now on the control's page is blocked for, counted and styled; its profile's
    // requests go through this object.
    void attach(WebBrowserControl *control);

    int blockedCount(const WebBrowserControl *control) const override;
    bool isEnabled() const override { return m_enabled; }
    void setEnabled(bool enabled) override;
    bool isAllowedOn(const QString &url) const override;
    void setAllowedOn(const QString &url, bool allowed) override;
    void updateLists() override;
    // The rule goes to "<dataFolder>/filters/mine.txt".
    void hideOnSite(const WebBrowserControl *control, const QString &host,
                    const QString &selector) override;

    // Builds the engine anew from the lists as they are now, off this thread.
    void reload();
    bool isReady() const { return m_engine != nullptr; }
    // The lines of the lists, counted by what became of them; empty until ready.
    QString figuresText() const;

    // For the profile's interceptor: blocks the request if the lists say so.
    void intercept(QWebEngineUrlRequestInfo &info);
    QString styleSheetFor(const QUrl &url) const override;
    QString blockedDocumentRule(const QUrl &url) const override;
    void allowOnce(const QUrl &url) override;

Q_SIGNALS:
    // The engine built by the last reload is in place.
    void ready();

private:
    bool isAllowedSite(const QUrl &url) const;
    void pageCountChanged(const WebBrowserControl *control) override;
    PageBlocking *pageOf(const WebBrowserControl *control) const;
    void engineBuilt(std::shared_ptr<const Filters::FilterEngine> engine);

    std::shared_ptr<SettingsStore> m_settings;
    QString m_dataFolder;
    QString m_cacheFolder;
    std::shared_ptr<const Filters::FilterEngine> m_engine;
    QThread *m_building = nullptr;
    bool m_buildAgain = false;
    // A full disk that refused the compiled form is told once a run.
    bool m_toldCacheRefused = false;
    std::unique_ptr<QWebEngineUrlRequestInterceptor> m_interceptor;
    QList<QPointer<QWebEngineProfile>> m_profiles;
    QList<QPointer<PageBlocking>> m_pages;
    bool m_enabled = true;
    QSet<QString> m_allowedSites;
    QHash<QUrl, QString> m_blockedDocuments;
    QSet<QUrl> m_allowedOnce;
    FilterUpdater *m_updater;
    QString m_updateOutcome; // told once the updated lists are in place
};
