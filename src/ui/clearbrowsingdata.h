#pragma once

#include "sitedata/clearchoice.h"
#include "ui/commandtable.h"
#include "ui/featurecontext.h"

#include <functional>
#include <optional>
#include <QHash>
#include <QObject>

// Clears what the program keeps of the browsing: the history of a span and what else
// remembers the pages of it (the address box's list, the recent addresses, the visited
// links), the cookies and the pages' stored data, the cache, and the remembered answers.
class ClearBrowsingData final : public QObject
{
    Q_OBJECT

public:
    static CommandTable commands();

    // Asks what to clear; nothing when the user declines.
    using Ask = std::function<std::optional<ClearData::Choice>(QWidget *parent)>;

    explicit ClearBrowsingData(const FeatureContext &context);

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
    WebBrowserControl &m_page;
    StatusLine &m_status;
    Platform &m_platform;
    FeatureContext::Runner m_reportAndLeave;
    // When each address the window has shown this run was last shown.
    QHash<QString, qint64> m_lastShown;
    Ask m_ask = &ClearBrowsingData::ask;
};
