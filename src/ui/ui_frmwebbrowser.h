#pragma once

#include "ui/commandtable.h"

#include <QHash>
#include <QList>
#include <QString>

class FavoritesListModel;
class PictureBox;
class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QProgressBar;
class QTimer;
class QToolBar;
class QToolButton;
class QWidget;

namespace Ui {

// The browser window's controls, menus, toolbar and window actions, built from its design
// and its command table. The window only wires them to its handlers.
class frmWebBrowser
{
public:
    // browser and text are the surfaces of the hosted web control and text area.
    void setupUi(QWidget *window, QWidget *browser, QWidget *text, CommandTable commands);
    // Stacks the shown strips (toolbar, address panel, panel strip) from the window's top.
    void arrangeAlignedStrips(QWidget *window);

    // The menus that stand in the frame's menu bar while this window is open.
    QList<QMenu *> menus() const { return menuList; }
    // A menu, menu item or window action by its name; fails with PlatformError when there
    // is none.
    QAction *menuItem(const QString &name) const;
    // The toolbar's buttons in order, separators included.
    QList<QAction *> toolbarButtons() const { return buttonList; }
    // Buttons(key): fails with PlatformError when no button has the key.
    QAction *Buttons(const QString &key) const;

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
    // cmdSelectFavorite, cmdAddFavorite, cmdDeleteFavorite, cmdExitFavoritesList by name.
    QHash<QString, QToolButton *> panelButtons;
    QComboBox *cboFavoritesList = nullptr;
    FavoritesListModel *favoritesModel = nullptr; // the rows of cboFavoritesList
    QLabel *lblFavorites = nullptr;
    QAction *mnuURLHistory[10] = {};

    // The menus of the menu bar, in order.
    QList<QMenu *> menuList;
    // Menus, menu items and window actions by object name; toolbar buttons by key.
    QHash<QString, QAction *> commandActions;
    // The window's own actions that carry the keys of menu items, by the item's name.
    QHash<QString, QAction *> shortcutActions;
    QHash<QString, QAction *> keyedButtons;
    // The toolbar's buttons in order, separators included.
    QList<QAction *> buttonList;

private:
    void createToolbar(QWidget *window, CommandTable commands);
    void createAddressPanel(QWidget *window);
    void createFavouritesPanel(QWidget *window, CommandTable commands);
    void createMenus(QWidget *window, CommandTable commands);
    void createWindowActions(QWidget *window, CommandTable commands);
};

} // namespace Ui
