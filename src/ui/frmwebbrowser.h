#pragma once

#include "navigation/searchwords.h"
#include "platform/api/platform.h"
#include "ui/commandtable.h"
#include "ui/feature.h"
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
class Downloads;
class InternetTransfer;
class KeepingSettingsStore;
class MailApplication;
class MailFolder;
class MailNamespace;
class PlatformError;
class FullScreenLayout;
class RichTextArea;
class WebBrowserControl;
class WebBrowserHost;

// The browser window: the one MDI child of the frame, with its designed menus, toolbar and
// panel. Handlers keep the names of the program's vocabulary; each subsystem's handlers are
// defined in a file of their own, and the commands that menus, toolbar, panel buttons and keys
// reach are rows of the window's table (frmwebbrowser_commandtable.cpp). What the program adds
// to the design comes in features, each a unit of its own with its rows, from a list the window
// is given and does not name one by one.
// The window's variables, which its handlers share.
struct WindowVariables
{
    QString FavoritesFilePath;
    bool FrameToolBarWasVisible = false;
    bool AddressListUpdating = false;
    bool LastURLWasNew = false;
    // Held only while a Mail command runs, or after it failed; the folder stays until the next.
    std::shared_ptr<::MailApplication> MailApp;
    std::shared_ptr<::MailNamespace> MailNamespace;
    std::shared_ptr<::MailFolder> MailFolder;

    const QString &favoritesFilePath() const { return FavoritesFilePath; }
    bool frameToolBarWasVisible() const { return FrameToolBarWasVisible; }
    bool lastURLWasNew() const { return LastURLWasNew; }
    bool addressListUpdating() const { return AddressListUpdating; }
    const std::shared_ptr<::MailFolder> &mailFolder() const { return MailFolder; }
    bool holdsMailSession() const { return MailApp || MailNamespace; }
};

class frmWebBrowser final : public QWidget, private Ui::frmWebBrowser, private WindowVariables
{
    Q_OBJECT

public:
    // parent: the frame's sub-window that will hold the window, if it exists already.
    frmWebBrowser(WebBrowserHost &host, Platform platform, FeatureList features,
                  QWidget *parent = nullptr);
    ~frmWebBrowser() override;

    // The window's own rows joined with those its features declare, each bound to its unit.
    CommandTable commands() const { return m_commands; }

    // The designed controls by name (see Ui::frmWebBrowser).
    using Ui::frmWebBrowser::Buttons;
    using Ui::frmWebBrowser::menuItem;
    using Ui::frmWebBrowser::menus;
    using Ui::frmWebBrowser::toolbarButtons;

    // Runs the window's handlers: a failure is shown and the window keeps running; the window
    // is deleted only once none runs.
    HandlerGuard &handlers() { return m_guard; }

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
    using WindowVariables::addressListUpdating;
    using WindowVariables::favoritesFilePath;
    using WindowVariables::frameToolBarWasVisible;
    using WindowVariables::holdsMailSession;
    using WindowVariables::lastURLWasNew;
    using WindowVariables::mailFolder;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // The designed menus, toolbar and panel, and the few keys of the window itself.
    friend struct WindowRows;
    // The parts the features are made of.
    void makeParts();
    void connectCommands();
    void connectEvents();
    // The history of the addresses has been cleared: they leave the address box's list, and
    // with everything, the recent-address menu too.
    void forgetAddresses(const QStringList &addresses, bool everything);
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

    WebBrowserHost &m_host;
    Platform m_platform;
    std::shared_ptr<KeepingSettingsStore> m_keptSettings; // m_platform.settings
    // Runs the window's handlers: guarded, as the user's, or reporting and leaving.
    HandlerGuard m_guard;
    bool m_addressKeyPending = false;

    // Hosted components
    WebBrowserControl *ctlWebBrowser = nullptr;
    std::unique_ptr<RichTextArea> Text1;
    std::unique_ptr<InternetTransfer> ctlInet;

    // What the window adds to its design: the status line, full screen, and the features.
    StatusLine m_status;
    std::unique_ptr<FullScreenLayout> m_fullScreen;
    Navigation::AddressBoxText m_addressText;
    AddressBoxEvents *m_addressEvents = nullptr;
    std::unique_ptr<WindowParts> m_parts;
    std::vector<std::unique_ptr<Feature>> m_features; // made of m_parts, so they go first
    std::vector<Commands::Command> m_commands;
};
