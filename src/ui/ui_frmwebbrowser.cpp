#include "ui/ui_frmwebbrowser.h"

#include "favorites/favoriteslistmodel.h"
#include "platform/api/platformerror.h"
#include "platform/api/startupphase.h"
#include "ui/icons.h"
#include "ui/picturebox.h"
#include "ui/twips.h"
#include "ui/windowdesign.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

using namespace WindowDesign;
using Commands::Command;
using Commands::Kind;

namespace {

QString translated(const char *text)
{
    return QCoreApplication::translate("frmWebBrowser", text);
}

QColor fromBgr(unsigned bgr)
{
    return QColor(int(bgr & 0xff), int((bgr >> 8) & 0xff), int((bgr >> 16) & 0xff));
}

void setBackground(QWidget *widget, const QColor &colour, QPalette::ColorRole role)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void setTextColour(QLabel *label, unsigned bgr)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, fromBgr(bgr));
    label->setPalette(palette);
}

void placeTwips(QWidget *control, const TwipsRect &rect)
{
    Twips::setGeometry(control, rect.left, rect.top, rect.width, rect.height);
}

// Labels keep their design box but never clip their text: a font taller than the box
// grows it around its centre.
void placeLabel(QLabel *label, const TwipsRect &rect)
{
    placeTwips(label, rect);
    const QSize hint = label->sizeHint();
    QRect box = label->geometry();
    if (hint.height() > box.height())
        box.adjust(0, -(hint.height() - box.height()) / 2, 0,
                   (hint.height() - box.height() + 1) / 2);
    if (hint.width() > box.width())
        box.setWidth(hint.width());
    box.moveTop(std::max(0, box.top()));
    label->setGeometry(box);
}

QComboBox *newComboBox(QWidget *parent, const char *name, unsigned background,
                       const TwipsRect &rect)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    setBackground(box, fromBgr(background), QPalette::Base);
    placeTwips(box, rect);
    return box;
}

// An address list that holds only what the program puts in it: typed text is neither added
// to it nor completed from it.
void makeAddressEntry(QComboBox *box)
{
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCompleter(nullptr);
}

QLabel *newLabel(QWidget *parent, const char *name, const QString &caption, const TwipsRect &rect)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    placeLabel(label, rect);
    return label;
}

} // namespace

namespace Ui {

void frmWebBrowser::setupUi(QWidget *window, QWidget *browser, QWidget *text, CommandTable commands)
{
    window->setObjectName(QStringLiteral("frmWebBrowser"));
    window->setWindowTitle(translated("Kestrav Applications"));
    window->setWindowIcon(Icons::named(QStringLiteral("kestrav")));
    setBackground(window, window->palette().color(QPalette::Inactive, QPalette::Window),
                  QPalette::Window);
    window->resize(Twips::toPixels(window, 11880), Twips::toPixels(window, 6315));

    text->setObjectName(QStringLiteral("Text1"));
    placeTwips(text, text1Rect);
    browser->setObjectName(QStringLiteral("ctlWebBrowser"));
    browser->setParent(window);
    placeTwips(browser, ctlWebBrowserRect);

    timer1 = new QTimer(window);
    timer1->setObjectName(QStringLiteral("timer1"));
    timer1->setInterval(500);

    createToolbar(window, commands);
    markStartupPhase("toolbar and icons");
    createAddressPanel(window);
    createFavouritesPanel(window, commands);
    createMenus(window, commands);
    createWindowActions(window, commands);

    // The page lies below the aligned strips as they really are, whatever the toolbar's
    // height on this desktop.
    arrangeAlignedStrips(window);
    const int firstTop = picFavouritesListContainer->geometry().bottom() + 1;
    browser->move(browser->x(), firstTop);
    text->move(text->x(), firstTop);

    QWidget::setTabOrder(browser, cboAddress);
}

void frmWebBrowser::createToolbar(QWidget *window, CommandTable commands)
{
    WebToolbar = new QToolBar(window);
    WebToolbar->setObjectName(QStringLiteral("WebToolbar"));
    WebToolbar->setIconSize(QSize(16, 16));
    WebToolbar->setMovable(false);
    WebToolbar->setFloatable(false);

    for (const Command &command : commands) {
        if (!command.key)
            continue;
        const QString key = QString::fromLatin1(command.key);
        QAction *button = WebToolbar->addAction(
            Icons::named(key),
            command.buttonCaption ? translated(command.buttonCaption) : QString());
        button->setObjectName(key);
        button->setToolTip(translated(command.toolTip));
        keyedButtons.insert(key, button);
        buttonList.append(button);
        if (command.buttonCaption) {
            if (auto *tool = qobject_cast<QToolButton *>(WebToolbar->widgetForAction(button)))
                tool->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        }
        if (command.endsGroup)
            buttonList.append(WebToolbar->addSeparator());
    }

    auto *spacer = new QWidget(WebToolbar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    WebToolbar->addWidget(spacer);

    tbrProgress = new QProgressBar(WebToolbar);
    tbrProgress->setObjectName(QStringLiteral("tbrProgress"));
    tbrProgress->setRange(0, 100);
    tbrProgress->setValue(0);
    tbrProgress->setTextVisible(false);
    tbrProgress->setFixedSize(Twips::toPixels(window, tbrProgressRect.width),
                              Twips::toPixels(window, tbrProgressRect.height));
    WebToolbar->addWidget(tbrProgress);

    picAnimation = new PictureBox(WebToolbar);
    picAnimation->setObjectName(QStringLiteral("picAnimation"));
    picAnimation->setToolTip(translated("Restore web browser"));
    const int side = Twips::toPixels(window, picAnimationRect.width);
    picAnimation->setFixedSize(side, side);
    picAnimation->setScaledContents(true);
    picAnimation->setPixmap(Icons::named(QStringLiteral("picAnimation")).pixmap(32, 32));
    WebToolbar->addWidget(picAnimation);
}

void frmWebBrowser::createAddressPanel(QWidget *window)
{
    picAddressContainer = new QFrame(window);
    picAddressContainer->setObjectName(QStringLiteral("picAddressContainer"));
    picAddressContainer->setFrameShape(QFrame::NoFrame);

    cboAddress = newComboBox(picAddressContainer, "cboAddress", 0x00FFFFFF, cboAddressRect);
    makeAddressEntry(cboAddress);
    cboAddress->setMaxCount(32767);
    lblAddress
        = newLabel(picAddressContainer, "lblAddress", translated("Address:"), lblAddressRect);
}

void frmWebBrowser::createFavouritesPanel(QWidget *window, CommandTable commands)
{
    picFavouritesListContainer = new QFrame(window);
    picFavouritesListContainer->setObjectName(QStringLiteral("picFavouritesListContainer"));

    lblFavorites = newLabel(picFavouritesListContainer, "lblFavorites", translated("Favourites:"),
                            lblFavoritesRect);
    setTextColour(lblFavorites, 0x000000FF);

    QFont bold = window->font();
    bold.setBold(true);
    int index = 0;
    for (const Command &command : commands) {
        if (command.kind != Kind::PanelButton)
            continue;
        QFrame *frame = new QFrame(picFavouritesListContainer);
        frame->setObjectName(QStringLiteral("pic1(%1)").arg(index));
        frame->setFrameShape(QFrame::Box);
        if (index == 0)
            setBackground(frame, Qt::white, QPalette::Window);
        placeTwips(frame, pic1Rects[index]);
        pic1[index] = frame;

        auto *button = new QToolButton(frame);
        const QString name = QString::fromLatin1(command.name);
        button->setObjectName(name);
        button->setToolTip(translated(command.toolTip));
        button->setIcon(Icons::named(name));
        button->setIconSize(QSize(16, 16));
        button->setAutoRaise(false);
        button->setFont(bold);
        setBackground(button, fromBgr(0x00C0C0C0), QPalette::Button);
        Twips::setGeometry(button, pic1Border, pic1Border, favoriteButtonRect.width,
                           favoriteButtonRect.height);
        panelButtons.insert(name, button);
        ++index;
    }

    cboFavoritesList = newComboBox(picFavouritesListContainer, "cboFavoritesList", 0x00C0C0FF,
                                   cboFavoritesListRect);
    setBackground(cboFavoritesList, fromBgr(0x00C0C0FF), QPalette::Button);
    favoritesModel = new FavoritesListModel(cboFavoritesList);
    cboFavoritesList->setModel(favoritesModel);

    // The links panel lies in front of the favorites controls and covers them.
    picLinksListContainer = new QFrame(picFavouritesListContainer);
    picLinksListContainer->setObjectName(QStringLiteral("picLinksListContainer"));
    setBackground(picLinksListContainer,
                  window->palette().color(QPalette::Inactive, QPalette::Window), QPalette::Window);
    placeTwips(picLinksListContainer, picLinksListContainerRect);

    cboLinksList = newComboBox(picLinksListContainer, "cboLinksList", 0x00FFFFC0, cboLinksListRect);
    makeAddressEntry(cboLinksList);
    lblLinks = newLabel(picLinksListContainer, "lblLinks", translated("Links:"), lblLinksRect);
    setTextColour(lblLinks, 0x00800000);
    picLinksListContainer->raise();
}

void frmWebBrowser::createMenus(QWidget *window, CommandTable commands)
{
    QHash<QString, QMenu *> menusByName;
    for (const Command &command : commands) {
        const QString name = QString::fromLatin1(command.name);
        QAction *action = nullptr;
        switch (command.kind) {
        case Kind::Menu: {
            auto *menu = new QMenu(translated(command.caption), window);
            menu->setObjectName(name);
            menusByName.insert(name, menu);
            menuList.append(menu);
            action = menu->menuAction();
            break;
        }
        case Kind::Separator:
            action = menusByName.value(QString::fromLatin1(command.menu))->addSeparator();
            break;
        case Kind::Item:
        case Kind::CheckItem:
            action = menusByName.value(QString::fromLatin1(command.menu))
                         ->addAction(translated(command.caption));
            action->setCheckable(command.kind == Kind::CheckItem);
            break;
        case Kind::ItemArray: {
            QMenu *parent = menusByName.value(QString::fromLatin1(command.menu));
            for (int index = 0; index < command.count; ++index) {
                const QString caption = QString::fromLatin1(command.caption);
                QAction *item
                    = parent->addAction(index == 0 ? caption : caption + QString::number(index));
                item->setObjectName(QStringLiteral("%1(%2)").arg(name).arg(index));
                item->setData(item->text());
                item->setVisible(false);
                mnuURLHistory[index] = item;
                commandActions.insert(item->objectName(), item);
            }
            continue;
        }
        case Kind::PanelButton:
        case Kind::WindowAction:
            continue;
        }
        action->setObjectName(name);
        commandActions.insert(name, action);
    }
}

void frmWebBrowser::createWindowActions(QWidget *window, CommandTable commands)
{
    for (const Command &command : commands) {
        if (!command.shortcut)
            continue;
        const bool ownAction = command.kind == Kind::WindowAction;
        const QString name = QString::fromLatin1(command.name);
        // A menu item keeps its designed look, without keys: an action of the window has them.
        auto *action = new QAction(translated(command.caption), window);
        action->setObjectName(ownAction ? name : name + QStringLiteral("Keys"));
        action->setShortcuts(QKeySequence::listFromString(QString::fromLatin1(command.shortcut),
                                                          QKeySequence::PortableText));
        action->setShortcutContext(Qt::WindowShortcut);
        window->addAction(action);
        if (ownAction)
            commandActions.insert(name, action);
        else
            shortcutActions.insert(name, action);
    }
}

void frmWebBrowser::arrangeAlignedStrips(QWidget *window)
{
    int y = 0;
    const auto place = [&](QWidget *strip, int height) {
        if (strip->isHidden())
            return;
        strip->setGeometry(0, y, window->width(), height);
        y += height;
    };
    place(WebToolbar, WebToolbar->sizeHint().height());
    place(picAddressContainer, Twips::toPixels(window, addressContainerHeight));
    place(picFavouritesListContainer, Twips::toPixels(window, favouritesListContainerHeight));
}

} // namespace Ui

namespace {

// A control reached by its name at run time: a name that no control has is a failure.
QAction *namedOrFail(const QHash<QString, QAction *> &controls, const QString &name)
{
    QAction *control = controls.value(name);
    if (!control)
        throw PlatformError(ErrorCode::ElementNotFound, QStringLiteral("Element not found"));
    return control;
}

} // namespace

QAction *Ui::frmWebBrowser::Buttons(const QString &key) const
{
    return namedOrFail(keyedButtons, key);
}

QAction *Ui::frmWebBrowser::menuItem(const QString &name) const
{
    return namedOrFail(commandActions, name);
}
