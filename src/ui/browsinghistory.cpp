#include "ui/browsinghistory.h"

#include "history/historyrules.h"
#include "platform/api/failure.h"
#include "platform/api/historystore.h"
#include "platform/api/pageevents.h"
#include "platform/api/platform.h"
#include "ui/completionpopup.h"
#include "ui/historywindow.h"
#include "ui/statusline.h"

#include <QComboBox>
#include <QDateTime>

std::unique_ptr<BrowsingHistory> BrowsingHistory::make(WindowParts &parts)
{
    WindowParts::AddressBox &box = parts.addressBox;
    auto unit = std::make_unique<BrowsingHistory>(
        parts.window, *parts.platform.history, parts.status, parts.page.events, parts.guarded,
        Hooks { .favorites = box.favorites, .open = box.open, .clearData = [&parts] {
                   parts.run("actClearBrowsingData");
               } });
    BrowsingHistory *history = unit.get();
    history->attachCompletion(&box.box);
    connect(history, &BrowsingHistory::addressChosen, &parts.window, box.chosen);
    connect(&box.events, &AddressBoxEvents::navigationTyped, history,
            &BrowsingHistory::navigationTyped);
    connect(&parts.page.events, &PageEvents::NavigateComplete2, history, [history, &parts] {
        Failure::skip(
            [&] { history->navigationCompleted(parts.page.address(), parts.page.title()); });
    });
    return unit;
}

BrowsingHistory::BrowsingHistory(QWidget &window, HistoryStore &store, StatusLine &status,
                                 PageEvents &events, const WindowParts::Runner &guarded,
                                 Hooks hooks)
    : QObject(&window)
    , m_store(store)
    , m_parentWindow(&window)
    , m_hooks(std::move(hooks))
{
    connect(&m_store, &HistoryStore::trouble, this,
            [&status](const QString &line) { status.setTrouble(QStringLiteral("history"), line); });
    connect(&events, &PageEvents::TitleChange, this, [this, guarded](const QString &title) {
        guarded("ctlWebBrowser_TitleChange", [&] { titleChanged(title); });
    });
}

BrowsingHistory::~BrowsingHistory()
{
    // The history window is a window of its own; it goes with the browser window.
    delete m_window;
}

void BrowsingHistory::navigationTyped(const QString &address)
{
    if (!address.trimmed().isEmpty())
        m_typedPending = true;
}

void BrowsingHistory::navigationCompleted(const QString &url, const QString &title)
{
    const VisitKind kind
        = std::exchange(m_typedPending, false) ? VisitKind::Typed : VisitKind::Followed;
    m_currentUrl = url;
    if (!History::isRecorded(url)) {
        m_currentUrl.clear();
        return;
    }
    // Until the page names itself, the control gives its address for a title.
    m_recordedTitle = title == url ? QString() : History::recordedTitle(title);
    m_store.recordVisit(url, m_recordedTitle, QDateTime::currentMSecsSinceEpoch(), kind);
}

void BrowsingHistory::titleChanged(const QString &title)
{
    const QString kept = History::recordedTitle(title);
    if (m_currentUrl.isEmpty() || kept.isEmpty() || kept == m_currentUrl || kept == m_recordedTitle)
        return;
    m_recordedTitle = kept;
    m_store.setTitle(m_currentUrl, kept);
}

void BrowsingHistory::attachCompletion(QComboBox *addressBox)
{
    m_completion = new CompletionPopup(m_store, addressBox, m_hooks.favorites);
    connect(m_completion, &CompletionPopup::addressChosen, this, &BrowsingHistory::addressChosen);
}

void BrowsingHistory::showWindow()
{
    if (!m_window) {
        // Top-level, so it stays apart from the frame; made at its first use.
        m_window = new HistoryWindow(m_store);
        m_window->setAttribute(Qt::WA_DeleteOnClose, false);
        if (m_hooks.clearData)
            m_window->setClearHandler(m_hooks.clearData);
        connect(m_window, &HistoryWindow::openRequested, this, [this](const QString &url) {
            Q_EMIT addressChosen(url);
            if (m_hooks.open)
                m_hooks.open(url);
        });
    }
    m_window->open();
}

HistoryWindow *BrowsingHistory::window() const
{
    return m_window;
}

Commands::Rows<BrowsingHistory> BrowsingHistory::commands()
{
    using namespace Commands;
    static constexpr Row<BrowsingHistory> rows[] = {
        keys<BrowsingHistory>("actHistory", QT_TRANSLATE_NOOP("frmWebBrowser", "History"), "Ctrl+H",
                              [](BrowsingHistory &unit) { unit.showWindow(); }),
    };
    return rows;
}
