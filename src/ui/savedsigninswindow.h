#pragma once

#include "signins/savedsignins.h"
#include "ui/commandtable.h"
#include "ui/feature.h"

#include <functional>
#include <memory>
#include <optional>
#include <QWidget>

class Keyring;
class SettingsStore;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

// The saved sign-ins, a window of its own: their sites and user names, searched as you type.
// A password is read from the keyring only when asked for, and for the selected sign-in only.
// Removing asks the keyring first: a sign-in leaves the list once its password has gone, so a
// keyring that refuses loses nothing.
class SavedSignInsWindow final : public QWidget
{
    Q_OBJECT

public:
    static Commands::Rows<SavedSignInsWindow> commands();

    // Asks before every saved sign-in is removed; true to go on.
    using AskRemoveAll = std::function<bool(QWidget *parent, int count)>;

    static std::unique_ptr<SavedSignInsWindow> make(WindowParts &parts);

    // A window of its own, which goes with the browser window.
    SavedSignInsWindow(QWidget &window, SettingsStore &settings, Keyring &keyring,
                       WindowParts::Runner guarded, WindowParts::Runner reportAndLeave);

    // Shows the window in front, its list read anew.
    void open();
    void setAskRemoveAll(AskRemoveAll ask) { m_askRemoveAll = std::move(ask); }

    QLineEdit *searchField() const { return m_search; }
    QTreeWidget *list() const { return m_list; }
    // What the window says of the keyring's last refusal; empty when there is none.
    QString stateText() const;
    // What the window says of a keyring that is missing or locked; empty when it is open.
    QString keyringText() const;

    void showPassword();
    void removeSelected();
    void removeAll();

    // The question removeAll() asks by default.
    static bool askRemoveAll(QWidget *parent, int count);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // A shown password does not outlive the window on screen.
    void hideEvent(QHideEvent *event) override;

private:
    void connectParts();
    void reload();
    std::optional<SavedSignIns::Entry> selected() const;
    // Hides a shown password, and forgets a password still being read.
    void hidePassword();
    void updateButtons();
    // Takes the password out of the keyring, then the sign-in out of the list; done runs with
    // the keyring's refusal, or an empty text when the sign-in has gone.
    void remove(const SavedSignIns::Entry &entry, std::function<void(const QString &)> done);

    SavedSignIns m_saved;
    Keyring &m_keyring;
    WindowParts::Runner m_guarded;
    WindowParts::Runner m_reportAndLeave;
    QLineEdit *m_search;
    QTreeWidget *m_list;
    QPushButton *m_show;
    QPushButton *m_remove;
    QPushButton *m_removeAll;
    QLabel *m_state;
    QLabel *m_keyringState;
    AskRemoveAll m_askRemoveAll = &SavedSignInsWindow::askRemoveAll;
    // Counts the password reads asked for: an answer to an older one is not shown.
    quint64 m_readTicket = 0;
    // Removals the keyring has not answered yet; the buttons wait for them.
    int m_pending = 0;
};
