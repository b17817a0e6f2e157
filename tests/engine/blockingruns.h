#pragma once

#include "contentblocking/filtersources.h"
#include "hostedcontrol.h"
#include "httpserver.h"
#include "platform/desktop/blocking/desktopcontentblocking.h"
#include "platform/desktop/settings/sqlitesettingsstore.h"
#include "testsupport.h"

#include <memory>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

// Runs of the program as content blocking sees them, against a loopback server: a data
// folder whose lists the test writes, and for each run the settings store, blocking built
// from the lists, and a web control in a window.
class BlockingRuns
{
protected:
    // A page the engine asks again at each load, so that each run sees the server.
    static HttpResponse fresh(const QByteArray &body, const QByteArray &type = "text/html")
    {
        HttpResponse response;
        response.contentType = type;
        response.body = body;
        response.headers = { "Cache-Control: no-store" };
        return response;
    }
    QString at(const QString &host, const QString &path) const
    {
        return QStringLiteral("http://%1:%2%3").arg(host).arg(m_server.port()).arg(path);
    }
    QString listFolder() const { return Filters::userListFolder(m_data->path()); }
    QString cacheFile() const { return m_cache->filePath(QStringLiteral("filters/engine.bin")); }

    // Fresh folders, with rules as the user's list.
    void prepare(const QByteArray &rules)
    {
        m_data = std::make_unique<QTemporaryDir>();
        m_cache = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir().mkpath(listFolder()));
        QVERIFY(writeAll(listFolder() + QStringLiteral("/test.txt"), rules));
    }

    void start()
    {
        m_store = std::make_unique<SqliteSettingsStore>(
            m_data->filePath(QStringLiteral("settings.db")));
        // The store outlives blocking, as the platform keeps both.
        m_blocking = std::make_shared<DesktopContentBlocking>(
            std::shared_ptr<SettingsStore>(m_store.get(), [](SettingsStore *) {}), m_data->path(),
            m_cache->path());
        QSignalSpy ready(m_blocking.get(), &DesktopContentBlocking::ready);
        QVERIFY(m_blocking->isReady() || !m_blocking->isEnabled() || waitFor(ready));
        m_host = std::make_unique<QWidget>();
        m_control = showInHost(*m_host);
        m_blocking->attach(m_control);
    }

    void stop()
    {
        m_host.reset();
        m_control = nullptr;
        m_blocking.reset();
        m_store.reset();
    }

    QVariant evaluate(const QString &script)
    {
        auto *view = qobject_cast<QWebEngineView *>(m_control->widget());
        QVariant result;
        bool answered = false;
        view->page()->runJavaScript(script, [&](const QVariant &value) {
            result = value;
            answered = true;
        });
        return QTest::qWaitFor([&] { return answered; }, 10'000) ? result : QVariant();
    }

    QString displayOf(const QString &id)
    {
        return evaluate(QStringLiteral("getComputedStyle(document.getElementById('%1')).display")
                            .arg(id))
            .toString();
    }

    HttpServer m_server;
    std::unique_ptr<QTemporaryDir> m_data, m_cache;
    std::unique_ptr<SqliteSettingsStore> m_store;
    std::shared_ptr<DesktopContentBlocking> m_blocking;
    std::unique_ptr<QWidget> m_host;
    WebEngineBrowserControl *m_control = nullptr;
};
