#pragma once

#include "history/historydays.h"
#include "ui/listwindow.h"

#include <functional>
#include <optional>

class HistoryModel;
class HistoryStore;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

// The history window: a window of its own listing the visits newest first, grouped by day,
// with a search field that filters as you type. Enter or a double click asks to open the
// entry, Del removes the selected entries, and "Clear history..." removes a span after asking.
class HistoryWindow final : public ListWindow
{
    Q_OBJECT

public:
    // Asks which span to clear; nothing when the user declines.
    using AskClearRange = std::function<std::optional<History::ClearRange>(QWidget *parent)>;

    explicit HistoryWindow(HistoryStore &store, QWidget *parent = nullptr);

    // Shows the window in front, the search field ready for typing.
    void open();
    void setAskClearRange(AskClearRange ask) { m_askClearRange = std::move(ask); }
    // What "Clear history..." does instead of asking for a span and clearing it.
    void setClearHandler(std::function<void()> clear) { m_clearHandler = std::move(clear); }

    HistoryModel &model() const { return *m_model; }
    QLineEdit *searchField() const { return m_search; }
    QTreeView *list() const { return m_list; }

    // The question that "Clear history..." asks by default.
    static std::optional<History::ClearRange> askClearRange(QWidget *parent);

Q_SIGNALS:
    void openRequested(const QString &url);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setUpList();
    // The search, the list, the buttons and the store, each to what it drives.
    void connectParts();
    void openCurrent();
    void removeSelected();
    void selectAfterRemoval();
    void clearHistory();

    HistoryStore &m_store;
    HistoryModel *m_model;
    QLineEdit *m_search;
    QTreeView *m_list;
    QPushButton *m_clear;
    QLabel *m_state;
    AskClearRange m_askClearRange = &HistoryWindow::askClearRange;
    std::function<void()> m_clearHandler;
    // The visit to select once the list has come back after a removal; 0 for none.
    qint64 m_selectAfterRemoval = 0;
};
