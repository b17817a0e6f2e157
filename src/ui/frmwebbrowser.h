#pragma once

#include "failure.h"
#include "platform.h"

#include <functional>
#include <memory>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QWidget>

class FavoritesListModel;
namespace Favorites {
struct FavoriteEntry;
}
class InternetTransfer;
class MailApplication;
class MailFolder;
class MailNamespace;
class PictureBox;
class PlatformError;
class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QProgressBar;
class QTimer;
class QToolBar;
class QToolButton;
class RichTextArea;
class WebBrowserControl;
class WebBrowserHost;

// The browser window: the one MDI child of the frame, and the hub of every command.
// Handlers keep the names of the program's vocabulary; each subsystem folder defines the
// handlers of its own commands.
class frmWebBrowser final : public QWidget
{
    Q_OBJECT

public:
    // parent: the frame's sub-window that will hold the window, if it exists already.
    frmWebBrowser(WebBrowserHost &host, Platform platform, QWidget *parent = nullptr);
    ~frmWebBrowser() override;

    // The menus that stand in the frame's menu bar while this window is open.
    QList<QMenu *> menus() const { return m_menus; }
    // A menu item (or a menu of the menu bar) by its name; fails with PlatformError when
    // there is none.
    QAction *menuItem(const QString &name) const;
    // The toolbar's buttons in order, separators included.
    QList<QAction *> toolbarButtons() const { return m_toolbarButtonList; }
    // Buttons(key): fails with PlatformError when no button has the key.
    QAction *Buttons(const QString &key) const;

    // Runs a handler that Qt calls: a failure is shown and the window keeps running. While
    // any such handler runs, the window is not deleted (see deleteWhenIdle).
    template<typename Handler> void guarded(const char *name, Handler &&handler);
    // Deletes holder (the window, or the frame's sub-window that holds it) once no handler
    // of the window is running. A close may arrive in a nested event loop inside a handler
    // (a fetch, a page script, a dialog); the handler must be able to end on a live window.
    void deleteWhenIdle(QObject *holder);

    // Lifecycle
    void Form_Load();
    void Form_Activate();
    void Form_QueryUnload();
    void Show();
    void mnuGoExit_Click();

    // Layout and view options
    void Form_Resize();
    void mnuOptions_Click();
    void mnuOptionsToolbar_Click();
    void mnuOptionsStatusbar_Click();
    static void OptionsStatusbarProc(frmWebBrowser &CurrentForm);
    void ErrMsgProc(const QString &mMsg, const PlatformError &error);
    // Report and leave: a failure ends the command and shows the error box under name (which
    // need not be the handler's own); a dialog's cancel ends it quietly unless told otherwise.
    template<typename Command>
    void reportAndLeave(const char *name, Command &&command,
                        Failure::DialogCancel cancel = Failure::DialogCancel::EndsQuietly)
    {
        Failure::reportAndLeave(
            std::forward<Command>(command),
            [&](const PlatformError &error) { ErrMsgProc(QString::fromLatin1(name), error); },
            cancel);
    }

    // Toolbar dispatch and command enabling
    void WebToolbar_ButtonClick(QAction *Button);
    void EnableCommandsProc(bool browserView);

    // Address box and navigation commands
    void cboAddress_KeyPress(int KeyAscii);
    void cboAddress_Click();
    void NavigateURLProc(const QString &url);
    void mnuGoBack_Click();
    void mnuGoForward_Click();
    void mnuGoStop_Click();
    void mnuGoRefresh_Click();
    void mnuGoHome_Click();
    void mnuFileSearch_Click();

    // Browser events and busy indication
    void ctlWebBrowser_DownloadComplete();
    void ctlWebBrowser_NavigateComplete2(const QString &URL);
    void ctlWebBrowser_StatusTextChange(const QString &Text);
    void timer1_Timer();
    void picAnimation_Click();

    // Recent addresses
    void WriteRecentURLs(const QString &inURL);
    void ReadRecentURLs();
    void mnuURLHistory_Click(int Index);

    // Favorites
    void ReadFavoritesList();
    void mnuFileFavoritesList_Click();
    void cmdSelectFavorite_Click();
    void cmdAddFavorite_Click();
    void cmdDeleteFavorite_Click();
    void cmdExitFavoritesList_Click();

    // HTML document tools
    void mnuLinksDisplayCurrHTMLDoc_Click();
    void mnuLinksRestoreWebBrowser_Click();
    void mnuLinksListLinks_Click();
    void mnuLinksDisplayLinkHTMLDoc_Click();
    void mnuLinksPrintHTMLdoc_Click();
    void mnuLinksSaveHTMLdoc_Click();

    // Desktop tools
    void mnuCopyPrintDesktop_Click();
    void mnuCopyCapDeskTop_Click();
    void mnuCopySaveDesktopFromClip_Click();
    void mnuCopySaveTextFromClip_Click();
    // The window's own print operation: a picture of the window, as large as one page of
    // the printer that the common dialog chose.
    void PrintForm();

    // Mail
    void mnuMailInbox_Click();
    void mnuMailOutbox_Click();
    void mnuMailContacts_Click();
    void OpenMailFolder(const QString &folderName);

    // Window variables
    QString FavoritesFilePath;
    bool FrameToolBarWasVisible = false;
    bool AddressListUpdating = false;
    bool LastURLWasNew = false;
    // Held only while a Mail command runs, or after it failed; the folder stays until the next.
    std::shared_ptr<::MailApplication> MailApp;
    std::shared_ptr<::MailNamespace> MailNamespace;
    std::shared_ptr<::MailFolder> MailFolder;

    // Controls
    WebBrowserControl *ctlWebBrowser = nullptr;
    std::unique_ptr<RichTextArea> Text1;
    std::unique_ptr<InternetTransfer> ctlInet;
    QTimer *timer1 = nullptr;
    QToolBar *WebToolbar = nullptr;
    QProgressBar *tbrProgress = nullptr;
    PictureBox *picAnimation = nullptr;
    QFrame *picAddressContainer = nullptr;
    QComboBox *cboAddress = nullptr;
    QLabel *lblAddress = nullptr;
    QFrame *picFavouritesListContainer = nullptr;
    QFrame *picLinksListContainer = nullptr;
    QComboBox *cboLinksList = nullptr;
    QLabel *lblLinks = nullptr;
    QFrame *pic1[4] = {};
    QToolButton *cmdSelectFavorite = nullptr;
    QToolButton *cmdAddFavorite = nullptr;
    QToolButton *cmdDeleteFavorite = nullptr;
    QToolButton *cmdExitFavoritesList = nullptr;
    QComboBox *cboFavoritesList = nullptr;
    QLabel *lblFavorites = nullptr;
    QAction *mnuURLHistory[10] = {};

    // The caption of recent-address item Index, exactly as stored.
    QString urlHistoryCaption(int Index) const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void createToolbar();
    void createAddressPanel();
    void createFavouritesPanel();
    void createMenus();
    void connectHandlers();
    void arrangeAlignedStrips();
    void setCaption(const QString &caption);
    // A command chosen by the user starts: the status line of the last one goes.
    void beginCommand();
    // Shows the text that readSource gives in place of the page, with the commands of the
    // source view; each step that fails is left out.
    void showSourceView(const std::function<QString()> &readSource);
    void setUrlHistoryCaption(int Index, const QString &caption);
    // Fills the favorites list with the entries of the favorites file.
    void showFavorites(QList<Favorites::FavoriteEntry> entries);
    QIcon icon(const QString &key) const;
    // The steps of OpenMailFolder.
    void ShowInbox();
    void ShowOutbox();
    void ShowContacts();
    void CloseMailSession();

    // Shows a failure that no handler caught; the command has ended, so the pointer must
    // not stay busy.
    void reportUnhandledFailure(const QString &name, const PlatformError &error);
    class HandlerScope
    {
    public:
        explicit HandlerScope(frmWebBrowser &window);
        ~HandlerScope();
        HandlerScope(const HandlerScope &) = delete;
        HandlerScope &operator=(const HandlerScope &) = delete;

    private:
        frmWebBrowser &m_window;
    };

    WebBrowserHost &m_host;
    Platform m_platform;
    QList<QMenu *> m_menus;
    QHash<QString, QAction *> m_menuItems;
    QHash<QString, QAction *> m_toolbarButtons;
    QList<QAction *> m_toolbarButtonList;
    FavoritesListModel *m_favorites = nullptr; // the rows of cboFavoritesList
    bool m_addressKeyPending = false;
    int m_runningHandlers = 0;
    QPointer<QObject> m_pendingDeletion;
};

template<typename Handler> void frmWebBrowser::guarded(const char *name, Handler &&handler)
{
    HandlerScope running(*this);
    Failure::guard([this](const QString &where,
                          const PlatformError &error) { reportUnhandledFailure(where, error); },
                   QString::fromLatin1(name), std::forward<Handler>(handler));
}
