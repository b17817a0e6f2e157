#pragma once

#include "ui/commandtable.h"
#include "ui/feature.h"

#include <functional>
#include <memory>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class CompletionPopup;
class HistoryStore;
class HistoryWindow;
class PageEvents;
class StatusLine;
class QComboBox;
class QWidget;

// What the browser window does with the history: it records each completed navigation (typed
// or chosen when the address box started it, else followed) and the title when it comes,
// completes the address box, and opens the history window. The window only forwards its
// events here.
class BrowsingHistory final : public QObject
{
    Q_OBJECT

public:
    // The commands of the unit, reached by their keys, as rows of the window's table.
    static Commands::Rows<BrowsingHistory> commands();

    struct Hooks
    {
        // The favorites list's texts, for the completion.
        std::function<QStringList()> favorites;
        // Opens an address as if the user had chosen it in the address box.
        std::function<void(const QString &url)> open;
        // Asks what browsing data to clear, and clears it; the history window's clearing.
        std::function<void()> clearData;
    };

    // Follows the window's address box and page: what it starts, what it completes.
    static std::unique_ptr<BrowsingHistory> make(WindowParts &parts);

    // Records the page's title as it comes, and says the store's trouble in the status line.
    BrowsingHistory(QWidget &window, HistoryStore &store, StatusLine &status, PageEvents &events,
                    const WindowParts::Runner &guarded, Hooks hooks);
    ~BrowsingHistory() override;

    // The address box has started a navigation to address (nothing when it is blank): the
    // next visit counts as typed.
    void navigationTyped(const QString &address);
    // A navigation has committed: records the visit, unless the address is one of ours.
    void navigationCompleted(const QString &url, const QString &title);
    // The page's title arrived or changed.
    void titleChanged(const QString &title);

    void attachCompletion(QComboBox *addressBox);
    void showWindow();

    HistoryWindow *window() const;
    CompletionPopup *completion() const { return m_completion; }

Q_SIGNALS:
    // The user chose an address of the history: a suggestion or an entry of the window.
    void addressChosen(const QString &address);

private:
    HistoryStore &m_store;
    QWidget *m_parentWindow;
    Hooks m_hooks;
    bool m_typedPending = false;
    QString m_currentUrl;
    QString m_recordedTitle;
    QPointer<HistoryWindow> m_window;
    CompletionPopup *m_completion = nullptr;
};
