#pragma once

#include <functional>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class CompletionPopup;
class HistoryStore;
class HistoryWindow;
class QComboBox;
class QWidget;

// What the browser window does with the history: it records each completed navigation (typed
// or chosen when the address box started it, else followed) and the title when it comes,
// turns words typed in the address box into a search, completes the box, and opens the
// history window. The window only forwards its events here.
class BrowsingHistory final : public QObject
{
    Q_OBJECT

public:
    struct Hooks
    {
        // The favorites list's texts, for the completion.
        std::function<QStringList()> favorites;
        // One line for the status bar.
        std::function<void(const QString &line)> statusLine;
        // Opens an address as if the user had chosen it in the address box.
        std::function<void(const QString &url)> open;
    };

    BrowsingHistory(HistoryStore &store, QWidget *window, Hooks hooks);
    ~BrowsingHistory() override;

    // The address the box's text goes to: the search page with the words as the query when
    // the text is not an address, else the text unchanged.
    QString addressFor(const QString &typed, const QString &searchPage) const;
    // The box holds an address that the user chose (a suggestion, an entry of the box's list
    // or of the history window): it goes as an address, whatever it looks like, until the
    // user edits it.
    void addressChosen(const QString &address);
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

private:
    HistoryStore &m_store;
    QWidget *m_parentWindow;
    Hooks m_hooks;
    QStringList m_localNames;
    bool m_typedPending = false;
    QString m_chosen;
    QString m_currentUrl;
    QString m_recordedTitle;
    QPointer<HistoryWindow> m_window;
    CompletionPopup *m_completion = nullptr;
};
