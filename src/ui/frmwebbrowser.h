#pragma once

#include "navigation/searchwords.h"
#include "platform/api/platform.h"
#include "ui/commandtable.h"
#include "ui/featurecontext.h"
#include "ui/handlerguard.h"
#include "ui/statusline.h"
#include "ui/ui_frmwebbrowser.h"

#include <functional>
#include <memory>
#include <QList>
#include <QPointer>
#include <QWidget>

namespace Favorites {
struct FavoriteEntry;
}
class BrowsingHistory;
class ClearBrowsingData;
class SavedSignInsWindow;
class SiteDataWindow;
class Downloads;
class DownloadsWindow;
class InternetTransfer;
class KeepingSettingsStore;
class MailApplication;
class MailFolder;
class MailNamespace;
class PlatformError;
class BlockingControls;
class FullScreenLayout;
class PageCommands;
class PageZoom;
class SourceWindow;
class RichTextArea;
class BrowserAccessibility;
class FindBar;
class SignInOffers;
class WebBrowserControl;
class WebBrowserHost;

// The browser window: the one MDI child of the frame, and the hub of every command.
// Handlers keep the names of the program's vocabulary; each subsystem's handlers are defined
// in a file of their own, and the commands that menus, toolbar, panel buttons and keys reach
// are rows of the command table (frmwebbrowser_commandtable.cpp). What the window adds to its
// design lives in units of its own (find, zoom, the status line); the table's rows call them.
class frmWebBrowser final : public QWidget, private Ui::frmWebBrowser
{
    Q_OBJECT

public:
    // parent: the frame's sub-window that will hold the window, if it exists already.
    frmWebBrowser(WebBrowserHost &host, Platform platform, QWidget *parent = nullptr);
    ~frmWebBrowser() override;

    // The window's own rows joined with those its units declare.
    static CommandTable commands();

    // The menus that stand in the frame's menu bar while this window is open.
    QList<QMenu *> menus() const { return menuList; }
    // A menu, menu item or window action by its name; fails with PlatformError when there
    // is none.
    QAction *menuItem(const QString &name) const;
    // The toolbar's buttons in order, separators included.
    QList<QAction *> toolbarButtons() const { return buttonList; }
    // Buttons(key): fails with PlatformError when no button has the key.
    QAction *Buttons(const QString &key) const;

    // Runs a handler that Qt calls: a failure is shown and the window keeps running.
    template<typename Handler> void guarded(const char *name, Handler &&handler)
    {
        m_guard.run(name, std::forward<Handler>(handler));
    }
    // Runs a handler that the user started: the message of what the user did before goes
    // first, so that the line shows only what this one says.
    template<typename Handler> void userHandler(const char *name, Handler &&handler)
    {
        m_status.set(StatusLine::Message, QString());
        guarded(name, std::forward<Handler>(handler));
    }
    // Deletes holder once no handler of the window is running.
    void deleteWhenIdle(QObject *holder) { m_guard.deleteWhenIdle(holder); }

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

    // Toolbar dispatch and command enabling
    void WebToolbar_ButtonClick(QAction *Button);
    void EnableCommandsProc(bool browserView);

    // Address box and navigation commands
    void cboAddress_KeyPress(int KeyAscii);
    void cboAddress_Click();
    void NavigateURLProc(const QString &url);
    void mnuGoHome_Click();

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
    // The caption of recent-address item Index, exactly as stored.
    QString urlHistoryCaption(int Index) const;

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
    void OpenMailFolder(const QString &folderName);

    // The downloads of the run, which may go on after the window.
    Downloads &downloads() const;

    // The window's state, as its handlers leave it.
    const QString &favoritesFilePath() const { return FavoritesFilePath; }
    bool frameToolBarWasVisible() const { return FrameToolBarWasVisible; }
    bool lastURLWasNew() const { return LastURLWasNew; }
    bool addressListUpdating() const { return AddressListUpdating; }
    const std::shared_ptr<::MailFolder> &mailFolder() const { return MailFolder; }
    bool holdsMailSession() const { return MailApp || MailNamespace; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // The designed menus, toolbar and panel, and the few keys of the window itself.
    static CommandTable windowCommands();
    static CommandTable goMenu();
    static CommandTable fileAndOptionsMenus();
    static CommandTable copyAndMailMenus();
    static CommandTable linksMenu();
    static CommandTable panelAndKeys();
    // Each unit's rows reach the unit through this, and through nothing else of the window.
    template<typename Feature> friend Feature &Commands::featureOf(frmWebBrowser &window);
    // What each feature unit is handed.
    FeatureContext featureContext();
    void connectCommands();
    void connectEvents();
    void connectPage();
    void connectUnits();
    // Enter and a choice from the list each navigate once.
    void connectAddressBox();
    // The history: visits recorded, the address box completed, Ctrl+H's window.
    void connectHistory();
    // The history of the addresses has been cleared: they leave the address box's list, and
    // with everything, the recent-address menu too.
    void forgetAddresses(const QStringList &addresses, bool everything);
    // The downloads window, from its keys and from a click on the status bar.
    void connectDownloads();
    // The downloads window, made at its first use.
    DownloadsWindow &downloadsWindow();
    // Runs a command as choosing its item, pressing its keys or clicking its panel button does.
    void runCommand(const Commands::Command &command);
    // Shows the text that readSource gives in place of the page, with the commands of the
    // source view; each step that fails is left out.
    // Returns why a document too large for the view is not shown, or "".
    QString showSourceView(const std::function<QString()> &readSource);
    // Fills the favorites list with the entries of the favorites file.
    void showFavorites(QList<Favorites::FavoriteEntry> entries);
    // Esc is taken from the page only while it has something to stop or close.
    void updateEscapeKey();
    // Report and leave: a failure ends the work and shows the error box under name (which
    // need not be the handler's own); a dialog's cancel ends it quietly unless told otherwise.
    template<typename Work>
    void reportAndLeave(const char *name, Work &&work,
                        Failure::DialogCancel cancel = Failure::DialogCancel::EndsQuietly)
    {
        Failure::reportAndLeave(
            std::forward<Work>(work),
            [&](const PlatformError &error) { ErrMsgProc(QString::fromLatin1(name), error); },
            cancel);
    }

    WebBrowserHost &m_host;
    Platform m_platform;
    std::shared_ptr<KeepingSettingsStore> m_keptSettings; // m_platform.settings
    HandlerGuard m_guard;
    bool m_addressKeyPending = false;

    // Hosted components
    WebBrowserControl *ctlWebBrowser = nullptr;
    std::unique_ptr<RichTextArea> Text1;
    std::unique_ptr<InternetTransfer> ctlInet;

    // What the window adds to its design, each in a unit of its own.
    StatusLine m_status;
    FindBar *m_findBar = nullptr;
    BrowserAccessibility *m_accessibility = nullptr;
    std::unique_ptr<PageZoom> m_zoom;
    std::unique_ptr<FullScreenLayout> m_fullScreen;
    std::unique_ptr<PageCommands> m_pageCommands;
    BlockingControls *m_blocking = nullptr;
    QPointer<SourceWindow> m_sourceWindow;
    BrowsingHistory *m_history = nullptr; // a child of the window
    ClearBrowsingData *m_clearData = nullptr; // a child of the window
    SiteDataWindow *m_siteData = nullptr; // a window of its own, a child of this one
    SavedSignInsWindow *m_signInsWindow = nullptr; // a window of its own, made when first opened
    SignInOffers *m_signInOffers = nullptr; // a child of the window
    Navigation::AddressBoxText m_addressText;
    std::unique_ptr<DownloadsWindow> m_downloadsWindow; // top-level, made at its first use

    // Window variables
    QString FavoritesFilePath;
    bool FrameToolBarWasVisible = false;
    bool AddressListUpdating = false;
    bool LastURLWasNew = false;
    // Held only while a Mail command runs, or after it failed; the folder stays until the next.
    std::shared_ptr<::MailApplication> MailApp;
    std::shared_ptr<::MailNamespace> MailNamespace;
    std::shared_ptr<::MailFolder> MailFolder;
};
