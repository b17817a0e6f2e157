#pragma once

#include "sitedata/clearchoice.h"
#include "ui/commandtable.h"
#include "ui/feature.h"

#include <functional>
#include <memory>
#include <optional>
#include <QHash>
#include <QObject>

class HistoryStore;
class PageEvents;
class SettingsStore;
class SiteData;
class StatusLine;

// Clears what the program keeps of the browsing: the history of a span and what else
// remembers the pages of it (the address box's list, the recent addresses, the visited
// links), the cookies and the pages' stored data, the cache, and the remembered answers.
class ClearBrowsingData final : public QObject
{
    Q_OBJECT

public:
    static Commands::Rows<ClearBrowsingData> commands();

    // Asks what to clear; nothing when the user declines.
    using Ask = std::function<std::optional<ClearData::Choice>(QWidget *parent)>;

    // What is forgotten leaves the window's address box and recent-address menu too.
    static std::unique_ptr<ClearBrowsingData> make(WindowParts &parts);

    // pageAddress: the address of the page shown, as each page comes.
    ClearBrowsingData(QWidget &window, PageEvents &events, std::function<QString()> pageAddress,
                      StatusLine &status, HistoryStore &history, SiteData &siteData,
                      SettingsStore &settings, WindowParts::Runner reportAndLeave);

    void setAsk(Ask ask) { m_ask = std::move(ask); }
    // Asks, then clears what the user chose.
    void open();
    void clear(const ClearData::Choice &choice);

    // The question open() asks by default.
    static std::optional<ClearData::Choice> ask(QWidget *parent);

Q_SIGNALS:
    // The history of these addresses has gone; everything: all of it, recent addresses too.
    void addressesForgotten(const QStringList &addresses, bool everything);

private:
    QWidget &m_window;
    StatusLine &m_status;
    HistoryStore &m_history;
    SiteData &m_siteData;
    SettingsStore &m_settings;
    WindowParts::Runner m_reportAndLeave;
    // When each address the window has shown this run was last shown.
    QHash<QString, qint64> m_lastShown;
    Ask m_ask = &ClearBrowsingData::ask;
};
