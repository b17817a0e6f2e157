#pragma once

#include "history/suggestions.h"

#include <functional>
#include <optional>
#include <QFrame>
#include <QSet>
#include <QStringList>

class HistoryStore;
class QComboBox;
class QListWidget;

// The suggestions under the address box while the user types: up to ten addresses from the
// history and the favorites, title and address with the typed words in bold, and "Search
// for ..." last. Up and Down choose a row and put it in the box; Enter is left to the box, so
// the address goes exactly as a typed one; Esc closes and gives back the typed text;
// Shift+Del removes the chosen address from the history. The popup never takes the focus and
// never changes the text by itself; an answer for text the user has typed past is dropped.
class CompletionPopup final : public QFrame
{
    Q_OBJECT

public:
    // favorites: the favorites list's texts as the window holds them now.
    CompletionPopup(HistoryStore &store, QComboBox *box, std::function<QStringList()> favorites);

    QListWidget *list() const { return m_list; }
    // The row chosen with Up and Down; -1 while the typed text stands.
    int chosenRow() const;
    QStringList words() const { return m_words; }

    // Role of a row: its address (empty on the search row), its title, whether it came from
    // the history.
    static constexpr int AddressRole = Qt::UserRole;
    static constexpr int TitleRole = Qt::UserRole + 1;
    static constexpr int FromHistoryRole = Qt::UserRole + 2;

Q_SIGNALS:
    // The rows for the typed text are in place and shown.
    void suggestionsShown();
    // A row's address is in the box now, put there by the popup, not typed.
    void addressChosen(const QString &address);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void typed(const QString &text);
    void show(const QString &text, const QList<HistoryEntry> &history);
    void choose(int row);
    void removeChosen();
    void place();
    void closePopup();
    // Handles a key while the popup is shown; true when the key is used up.
    bool handleKey(int key, Qt::KeyboardModifiers modifiers);

    HistoryStore &m_store;
    QComboBox *m_box;
    std::function<QStringList()> m_favorites;
    QListWidget *m_list;
    QString m_typed;
    quint64 m_asked = 0; // the question whose answer the popup waits for
    QStringList m_words;
    std::optional<QStringList> m_localNames; // read at the first suggestions
};
