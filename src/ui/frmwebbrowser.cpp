#include "frmwebbrowser.h"

#include "appinfo.h"
#include "errorprompt.h"
#include "favoriteslistmodel.h"
#include "favoriteslocation.h"
#include "icons.h"
#include "internettransfer.h"
#include "messagebox.h"
#include "picturebox.h"
#include "richtextarea.h"
#include "screenpointer.h"
#include "startupphase.h"
#include "twips.h"
#include "userquestions.h"
#include "webbrowsercontrol.h"
#include "webbrowserhost.h"
#include "windowdesign.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

using namespace WindowDesign;

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

} // namespace

frmWebBrowser::frmWebBrowser(WebBrowserHost &host, Platform platform, QWidget *parent)
    : QWidget(parent)
    , m_host(host)
    , m_platform(std::move(platform))
{
    setObjectName(QStringLiteral("frmWebBrowser"));
    setWindowTitle(tr("Kestrav Applications"));
    setWindowIcon(icon(QStringLiteral("kestrav")));
    setBackground(this, palette().color(QPalette::Inactive, QPalette::Window), QPalette::Window);
    resize(Twips::toPixels(this, 11880), Twips::toPixels(this, 6315));

    createControls();
    createMenus();
    connectHandlers();
    markStartupPhase("browser window");
}

frmWebBrowser::~frmWebBrowser() = default;

QIcon frmWebBrowser::icon(const QString &key) const
{
    return Icons::named(key);
}

void frmWebBrowser::createControls()
{
    ctlInet = m_platform.createInternetTransfer();

    Text1 = m_platform.createRichTextArea(this);
    Text1->widget()->setObjectName(QStringLiteral("Text1"));
    placeTwips(Text1->widget(), text1Rect);

    ctlWebBrowser = m_platform.createWebBrowserControl(this);
    ctlWebBrowser->setObjectName(QStringLiteral("ctlWebBrowser"));
    ctlWebBrowser->widget()->setParent(this);
    placeTwips(ctlWebBrowser->widget(), ctlWebBrowserRect);
    markStartupPhase("web control");

    timer1 = new QTimer(this);
    timer1->setObjectName(QStringLiteral("timer1"));
    timer1->setInterval(500);

    createToolbar();
    markStartupPhase("toolbar and icons");
    createAddressPanel();
    createFavouritesPanel();

    // The page lies below the aligned strips as they really are, whatever the toolbar's
    // height on this desktop.
    arrangeAlignedStrips();
    const int firstTop = picFavouritesListContainer->geometry().bottom() + 1;
    ctlWebBrowser->widget()->move(ctlWebBrowser->widget()->x(), firstTop);
    Text1->widget()->move(Text1->widget()->x(), firstTop);

    setTabOrder(ctlWebBrowser->widget(), cboAddress);
}

void frmWebBrowser::createToolbar()
{
    WebToolbar = new QToolBar(this);
    WebToolbar->setObjectName(QStringLiteral("WebToolbar"));
    WebToolbar->setIconSize(QSize(16, 16));
    WebToolbar->setMovable(false);
    WebToolbar->setFloatable(false);

    for (const ToolbarButton &design : webToolbarButtons) {
        QAction *button = nullptr;
        if (!design.key) {
            button = WebToolbar->addSeparator();
        } else {
            const QString key = QString::fromLatin1(design.key);
            button = WebToolbar->addAction(icon(key),
                                           design.caption ? translated(design.caption) : QString());
            button->setObjectName(key);
            button->setToolTip(translated(design.toolTip));
            m_toolbarButtons.insert(key, button);
            if (design.caption) {
                if (auto *tool = qobject_cast<QToolButton *>(WebToolbar->widgetForAction(button)))
                    tool->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
            }
        }
        m_toolbarButtonList.append(button);
    }

    auto *spacer = new QWidget(WebToolbar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    WebToolbar->addWidget(spacer);

    tbrProgress = new QProgressBar(WebToolbar);
    tbrProgress->setObjectName(QStringLiteral("tbrProgress"));
    tbrProgress->setRange(0, 100);
    tbrProgress->setValue(0);
    tbrProgress->setTextVisible(false);
    tbrProgress->setFixedSize(Twips::toPixels(this, tbrProgressRect.width),
                              Twips::toPixels(this, tbrProgressRect.height));
    WebToolbar->addWidget(tbrProgress);

    picAnimation = new PictureBox(WebToolbar);
    picAnimation->setObjectName(QStringLiteral("picAnimation"));
    picAnimation->setToolTip(tr("Restore web browser"));
    const int side = Twips::toPixels(this, picAnimationRect.width);
    picAnimation->setFixedSize(side, side);
    picAnimation->setScaledContents(true);
    picAnimation->setPixmap(icon(QStringLiteral("picAnimation")).pixmap(32, 32));
    WebToolbar->addWidget(picAnimation);
}

void frmWebBrowser::createAddressPanel()
{
    picAddressContainer = new QFrame(this);
    picAddressContainer->setObjectName(QStringLiteral("picAddressContainer"));
    picAddressContainer->setFrameShape(QFrame::NoFrame);

    cboAddress = new QComboBox(picAddressContainer);
    cboAddress->setObjectName(QStringLiteral("cboAddress"));
    cboAddress->setEditable(true);
    // The list holds only completed locations; the box must neither add typed text to it
    // nor complete the typing from it.
    cboAddress->setInsertPolicy(QComboBox::NoInsert);
    cboAddress->setCompleter(nullptr);
    cboAddress->setMaxCount(32767);
    setBackground(cboAddress, fromBgr(0x00FFFFFF), QPalette::Base);
    placeTwips(cboAddress, cboAddressRect);

    lblAddress = new QLabel(tr("Address:"), picAddressContainer);
    lblAddress->setObjectName(QStringLiteral("lblAddress"));
    placeLabel(lblAddress, lblAddressRect);
}

void frmWebBrowser::createFavouritesPanel()
{
    picFavouritesListContainer = new QFrame(this);
    picFavouritesListContainer->setObjectName(QStringLiteral("picFavouritesListContainer"));

    lblFavorites = new QLabel(tr("Favourites:"), picFavouritesListContainer);
    lblFavorites->setObjectName(QStringLiteral("lblFavorites"));
    {
        QPalette palette = lblFavorites->palette();
        palette.setColor(QPalette::WindowText, fromBgr(0x000000FF));
        lblFavorites->setPalette(palette);
    }
    placeLabel(lblFavorites, lblFavoritesRect);

    const char *buttonNames[4]
        = { "cmdSelectFavorite", "cmdAddFavorite", "cmdDeleteFavorite", "cmdExitFavoritesList" };
    const char *toolTips[4]
        = { QT_TR_NOOP("Select favorite "), QT_TR_NOOP("Add to Favorites List"),
            QT_TR_NOOP("Remove from list"), QT_TR_NOOP("Exit Favorites List (return to Links)") };
    QToolButton **buttons[4]
        = { &cmdSelectFavorite, &cmdAddFavorite, &cmdDeleteFavorite, &cmdExitFavoritesList };
    QFont bold = font();
    bold.setBold(true);
    for (int index = 0; index < 4; ++index) {
        QFrame *frame = new QFrame(picFavouritesListContainer);
        frame->setObjectName(QStringLiteral("pic1(%1)").arg(index));
        frame->setFrameShape(QFrame::Box);
        if (index == 0)
            setBackground(frame, Qt::white, QPalette::Window);
        placeTwips(frame, pic1Rects[index]);
        pic1[index] = frame;

        auto *button = new QToolButton(frame);
        const QString name = QString::fromLatin1(buttonNames[index]);
        button->setObjectName(name);
        button->setToolTip(tr(toolTips[index]));
        button->setIcon(icon(name));
        button->setIconSize(QSize(16, 16));
        button->setAutoRaise(false);
        button->setFont(bold);
        setBackground(button, fromBgr(0x00C0C0C0), QPalette::Button);
        Twips::setGeometry(button, pic1Border, pic1Border, favoriteButtonRect.width,
                           favoriteButtonRect.height);
        *buttons[index] = button;
    }

    cboFavoritesList = new QComboBox(picFavouritesListContainer);
    cboFavoritesList->setObjectName(QStringLiteral("cboFavoritesList"));
    m_favorites = new FavoritesListModel(cboFavoritesList);
    cboFavoritesList->setModel(m_favorites);
    setBackground(cboFavoritesList, fromBgr(0x00C0C0FF), QPalette::Base);
    setBackground(cboFavoritesList, fromBgr(0x00C0C0FF), QPalette::Button);
    placeTwips(cboFavoritesList, cboFavoritesListRect);

    // The links panel lies in front of the favorites controls and covers them.
    picLinksListContainer = new QFrame(picFavouritesListContainer);
    picLinksListContainer->setObjectName(QStringLiteral("picLinksListContainer"));
    setBackground(picLinksListContainer, palette().color(QPalette::Inactive, QPalette::Window),
                  QPalette::Window);
    placeTwips(picLinksListContainer, picLinksListContainerRect);

    cboLinksList = new QComboBox(picLinksListContainer);
    cboLinksList->setObjectName(QStringLiteral("cboLinksList"));
    cboLinksList->setEditable(true);
    cboLinksList->setInsertPolicy(QComboBox::NoInsert);
    cboLinksList->setCompleter(nullptr);
    setBackground(cboLinksList, fromBgr(0x00FFFFC0), QPalette::Base);
    placeTwips(cboLinksList, cboLinksListRect);

    lblLinks = new QLabel(tr("Links:"), picLinksListContainer);
    lblLinks->setObjectName(QStringLiteral("lblLinks"));
    {
        QPalette palette = lblLinks->palette();
        palette.setColor(QPalette::WindowText, fromBgr(0x00800000));
        lblLinks->setPalette(palette);
    }
    placeLabel(lblLinks, lblLinksRect);
    picLinksListContainer->raise();
}

void frmWebBrowser::createMenus()
{
    QHash<QString, QMenu *> menusByName;
    for (const MenuItem &design : webBrowserMenu) {
        const QString name = QString::fromLatin1(design.name);
        if (!design.parent) {
            auto *menu = new QMenu(translated(design.caption), this);
            menu->setObjectName(name);
            menu->menuAction()->setObjectName(name);
            menusByName.insert(name, menu);
            m_menus.append(menu);
            m_menuItems.insert(name, menu->menuAction());
            continue;
        }
        QMenu *parent = menusByName.value(QString::fromLatin1(design.parent));
        QAction *item = qstrcmp(design.caption, "-") == 0
            ? parent->addSeparator()
            : parent->addAction(translated(design.caption));
        item->setObjectName(name);
        m_menuItems.insert(name, item);
    }

    QMenu *file = menusByName.value(QStringLiteral("mnuFile"));
    for (int index = 0; index < urlHistoryItemCount; ++index) {
        QAction *item = file->addAction(index == 0 ? QStringLiteral("URLHistory")
                                                   : QStringLiteral("URLHistory%1").arg(index));
        item->setObjectName(QStringLiteral("mnuURLHistory(%1)").arg(index));
        item->setData(item->text());
        item->setVisible(false);
        mnuURLHistory[index] = item;
    }

    menuItem(QStringLiteral("mnuOptionsToolbar"))->setCheckable(true);
    menuItem(QStringLiteral("mnuOptionsStatusbar"))->setCheckable(true);
}

QString frmWebBrowser::urlHistoryCaption(int Index) const
{
    if (Index < 0 || Index >= urlHistoryItemCount)
        throw PlatformError(ErrorCode::SubscriptOutOfRange,
                            QStringLiteral("Subscript out of range"));
    return mnuURLHistory[Index]->data().toString();
}

void frmWebBrowser::setUrlHistoryCaption(int Index, const QString &caption)
{
    if (Index < 0 || Index >= urlHistoryItemCount)
        throw PlatformError(ErrorCode::SubscriptOutOfRange,
                            QStringLiteral("Subscript out of range"));
    // The caption shows the address as it is: an "&" is a character, not an access key.
    mnuURLHistory[Index]->setData(caption);
    mnuURLHistory[Index]->setText(QString(caption).replace(QLatin1Char('&'), QStringLiteral("&&")));
}

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

QAction *frmWebBrowser::Buttons(const QString &key) const
{
    return namedOrFail(m_toolbarButtons, key);
}

QAction *frmWebBrowser::menuItem(const QString &name) const
{
    return namedOrFail(m_menuItems, name);
}

void frmWebBrowser::connectHandlers()
{
    struct MenuHandler
    {
        const char *item;
        void (frmWebBrowser::*handler)();
    };
    static constexpr MenuHandler menuHandlers[] = {
        { "mnuGoBack", &frmWebBrowser::mnuGoBack_Click },
        { "mnuGoForward", &frmWebBrowser::mnuGoForward_Click },
        { "mnuGoStop", &frmWebBrowser::mnuGoStop_Click },
        { "mnuGoRefresh", &frmWebBrowser::mnuGoRefresh_Click },
        { "mnuGoHome", &frmWebBrowser::mnuGoHome_Click },
        { "mnuGoExit", &frmWebBrowser::mnuGoExit_Click },
        { "mnuFileSearch", &frmWebBrowser::mnuFileSearch_Click },
        { "mnuFileFavoritesList", &frmWebBrowser::mnuFileFavoritesList_Click },
        { "mnuOptionsToolbar", &frmWebBrowser::mnuOptionsToolbar_Click },
        { "mnuOptionsStatusbar", &frmWebBrowser::mnuOptionsStatusbar_Click },
        { "mnuCopyPrintDesktop", &frmWebBrowser::mnuCopyPrintDesktop_Click },
        { "mnuCopyCapDeskTop", &frmWebBrowser::mnuCopyCapDeskTop_Click },
        { "mnuCopySaveDesktopFromClip", &frmWebBrowser::mnuCopySaveDesktopFromClip_Click },
        { "mnuCopySaveTextFromClip", &frmWebBrowser::mnuCopySaveTextFromClip_Click },
        { "mnuMailInbox", &frmWebBrowser::mnuMailInbox_Click },
        { "mnuMailOutbox", &frmWebBrowser::mnuMailOutbox_Click },
        { "mnuMailContacts", &frmWebBrowser::mnuMailContacts_Click },
        { "mnuLinksDisplayCurrHTMLDoc", &frmWebBrowser::mnuLinksDisplayCurrHTMLDoc_Click },
        { "mnuLinksListLinks", &frmWebBrowser::mnuLinksListLinks_Click },
        { "mnuLinksDisplayLinkHTMLDoc", &frmWebBrowser::mnuLinksDisplayLinkHTMLDoc_Click },
        { "mnuLinksPrintHTMLdoc", &frmWebBrowser::mnuLinksPrintHTMLdoc_Click },
        { "mnuLinksSaveHTMLdoc", &frmWebBrowser::mnuLinksSaveHTMLdoc_Click },
        { "mnuLinksRestoreWebBrowser", &frmWebBrowser::mnuLinksRestoreWebBrowser_Click },
    };

    // The two option items show a check mark, but their handlers invert it themselves.
    for (const char *name : { "mnuOptionsToolbar", "mnuOptionsStatusbar" }) {
        QAction *item = menuItem(QString::fromLatin1(name));
        connect(item, &QAction::triggered, this, [item] { item->setChecked(!item->isChecked()); });
    }
    for (const MenuHandler &entry : menuHandlers) {
        const QByteArray handlerName = QByteArray(entry.item) + "_Click";
        connect(menuItem(QString::fromLatin1(entry.item)), &QAction::triggered, this,
                [this, entry, handlerName] {
                    beginCommand();
                    guarded(handlerName.constData(), [&] { (this->*entry.handler)(); });
                });
    }

    connect(menuItem(QStringLiteral("mnuOptions"))->menu(), &QMenu::aboutToShow, this,
            [this] { guarded("mnuOptions_Click", [&] { mnuOptions_Click(); }); });

    for (int index = 0; index < urlHistoryItemCount; ++index) {
        connect(mnuURLHistory[index], &QAction::triggered, this, [this, index] {
            beginCommand();
            guarded("mnuURLHistory_Click", [&] { mnuURLHistory_Click(index); });
        });
    }

    connect(WebToolbar, &QToolBar::actionTriggered, this, [this](QAction *button) {
        if (!m_toolbarButtons.contains(button->objectName()))
            return;
        beginCommand();
        guarded("WebToolbar_ButtonClick", [&] { WebToolbar_ButtonClick(button); });
    });
    connect(picAnimation, &PictureBox::clicked, this, [this] {
        beginCommand();
        guarded("picAnimation_Click", [&] { picAnimation_Click(); });
    });
    connect(timer1, &QTimer::timeout, this,
            [this] { guarded("timer1_Timer", [&] { timer1_Timer(); }); });
    connect(ctlWebBrowser, &WebBrowserControl::DownloadComplete, this, [this] {
        guarded("ctlWebBrowser_DownloadComplete", [&] { ctlWebBrowser_DownloadComplete(); });
    });
    connect(ctlWebBrowser, &WebBrowserControl::NavigateComplete2, this, [this](const QString &url) {
        guarded("ctlWebBrowser_NavigateComplete2", [&] { ctlWebBrowser_NavigateComplete2(url); });
    });
    connect(ctlWebBrowser, &WebBrowserControl::StatusTextChange, this, [this](const QString &text) {
        guarded("ctlWebBrowser_StatusTextChange", [&] { ctlWebBrowser_StatusTextChange(text); });
    });

    // Choosing an entry of the list, with the mouse or the arrow keys, accepts it at once.
    connect(cboAddress, &QComboBox::activated, this, [this] {
        if (m_addressKeyPending)
            return;
        beginCommand();
        guarded("cboAddress_Click", [&] { cboAddress_Click(); });
    });
    cboAddress->installEventFilter(this);

    auto onButton
        = [this](QToolButton *button, void (frmWebBrowser::*handler)(), const char *handlerName) {
              connect(button, &QToolButton::clicked, this, [this, handler, handlerName] {
                  beginCommand();
                  guarded(handlerName, [&] { (this->*handler)(); });
              });
          };
    onButton(cmdSelectFavorite, &frmWebBrowser::cmdSelectFavorite_Click, "cmdSelectFavorite_Click");
    onButton(cmdAddFavorite, &frmWebBrowser::cmdAddFavorite_Click, "cmdAddFavorite_Click");
    onButton(cmdDeleteFavorite, &frmWebBrowser::cmdDeleteFavorite_Click, "cmdDeleteFavorite_Click");
    onButton(cmdExitFavoritesList, &frmWebBrowser::cmdExitFavoritesList_Click,
             "cmdExitFavoritesList_Click");
}

bool frmWebBrowser::eventFilter(QObject *watched, QEvent *event)
{
    // The box keeps the focus and hands typed keys to its line edit itself, so its own key
    // events are the ones the user typed.
    if (watched != cboAddress)
        return QWidget::eventFilter(watched, event);
    const auto *key = event->type() == QEvent::KeyPress ? static_cast<QKeyEvent *>(event) : nullptr;
    const bool finishesEdit = event->type() == QEvent::FocusOut
        || (key && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter));
    if (finishesEdit) {
        // The box itself may report an "activation" while it finishes the edit (Enter, or
        // leaving the box with text that matches an entry). That is not a choice from the
        // list, so it must not navigate a second time.
        m_addressKeyPending = true;
        QTimer::singleShot(0, this, [this] { m_addressKeyPending = false; });
    }
    if (key && !key->text().isEmpty()) {
        const int keyAscii = key->text().at(0).unicode();
        if (keyAscii == '\r') // Enter accepts the address
            beginCommand();
        guarded("cboAddress_KeyPress", [&] { cboAddress_KeyPress(keyAscii); });
    }
    return QWidget::eventFilter(watched, event);
}

void frmWebBrowser::setCaption(const QString &caption)
{
    setWindowTitle(caption);
}

void frmWebBrowser::beginCommand()
{
    Failure::skip([&] { m_host.setStatusText(QString()); });
}

void frmWebBrowser::arrangeAlignedStrips()
{
    int y = 0;
    for (QWidget *strip :
         { static_cast<QWidget *>(WebToolbar), static_cast<QWidget *>(picAddressContainer),
           static_cast<QWidget *>(picFavouritesListContainer) }) {
        if (strip->isHidden())
            continue;
        int height = 0;
        if (strip == WebToolbar)
            height = WebToolbar->sizeHint().height();
        else if (strip == picAddressContainer)
            height = Twips::toPixels(this, addressContainerHeight);
        else
            height = Twips::toPixels(this, favouritesListContainerHeight);
        strip->setGeometry(0, y, width(), height);
        y += height;
    }
}

void frmWebBrowser::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    arrangeAlignedStrips();
    guarded("Form_Resize", [&] { Form_Resize(); });
}

// Lifecycle

void frmWebBrowser::Show()
{
    m_host.showWebBrowserWindow(this);
}

void frmWebBrowser::Form_Load()
{
    Failure::skip([&] { FrameToolBarWasVisible = !m_host.frameToolBar().isHidden(); });
    Failure::skip([&] { m_host.frameToolBar().setVisible(false); });
    // No persistent drawing surface is needed: Qt widgets repaint themselves.
    Failure::skip([&] { menuItem(QStringLiteral("mnuOptionsToolbar"))->setChecked(true); });
    Failure::skip([&] {
        const QString programFolder = m_platform.app->Path();
        const QString dataFolder = m_platform.app->DataPath();
        FavoritesFilePath = Favorites::favoritesFilePath(programFolder, dataFolder);
        // Said once here; the favorites commands then answer with the error box.
        if (FavoritesFilePath.isEmpty())
            m_platform.messageBox->MsgBox(
                tr("The favorites list cannot be kept: neither %1 nor %2 can be written.")
                    .arg(QDir::toNativeSeparators(programFolder),
                         QDir::toNativeSeparators(dataFolder)));
    });
    Failure::skip([&] {
        if (QFileInfo::exists(FavoritesFilePath))
            return;
        QFile file(FavoritesFilePath);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            throw PlatformError(ErrorCode::PathFileAccess, file.errorString());
    });
    Failure::skip([&] { Show(); });
    Failure::skip([&] { Form_Resize(); });
    Failure::skip([&] { timer1->setInterval(500); });
    Failure::skip([&] { Text1->widget()->setVisible(false); });
    Failure::skip([&] { ctlWebBrowser->widget()->setVisible(true); });
    Failure::skip([&] { picLinksListContainer->setVisible(true); });
    Failure::skip([&] { EnableCommandsProc(true); });
    Failure::skip([&] { ReadRecentURLs(); });
    markStartupPhase("settings store");
    Failure::skip([&] { mnuGoHome_Click(); });
    markStartupPhase("load step");
}

void frmWebBrowser::Form_Activate()
{
    ReadFavoritesList();
    markStartupPhase("favorites read");
}

void frmWebBrowser::Form_QueryUnload()
{
    Failure::skip([&] { m_platform.screenPointer->setMousePointer(ScreenPointer::Default); });
    // Downloads go on without the window, unless the user stops them now; asked while the
    // window still stands as it was.
    Failure::skip([&] {
        const int running = ctlWebBrowser->DownloadsInProgress();
        if (running > 0 && m_platform.questions->cancelDownloads(running))
            ctlWebBrowser->CancelDownloads();
    });
    Failure::skip([&] { m_host.frameToolBar().setVisible(FrameToolBarWasVisible); });
    Failure::skip([&] { ctlInet->Cancel(); });
    // The panel belongs to the frame, which stays: nothing of this window may linger in it.
    Failure::skip([&] { m_host.setStatusText(QString()); });
}

void frmWebBrowser::closeEvent(QCloseEvent *event)
{
    guarded("Form_QueryUnload", [&] { Form_QueryUnload(); });
    event->accept();
    m_host.webBrowserWindowClosing(this);
}

void frmWebBrowser::deleteWhenIdle(QObject *holder)
{
    m_pendingDeletion = holder;
    if (m_runningHandlers == 0)
        holder->deleteLater();
}

frmWebBrowser::HandlerScope::HandlerScope(frmWebBrowser &window)
    : m_window(window)
{
    ++m_window.m_runningHandlers;
}

frmWebBrowser::HandlerScope::~HandlerScope()
{
    // Back in the event loop that started the outermost handler: a close that came in a
    // nested loop may now free the window.
    if (--m_window.m_runningHandlers == 0 && m_window.m_pendingDeletion)
        m_window.m_pendingDeletion->deleteLater();
}

void frmWebBrowser::mnuGoExit_Click()
{
    m_host.closeWebBrowserWindow(this);
}

// Layout and view options

void frmWebBrowser::Form_Resize()
{
    const float scaleWidth = Twips::fromPixels(this, width());
    const float scaleHeight = Twips::fromPixels(this, height());
    QWidget *browser = ctlWebBrowser->widget();
    QWidget *text = Text1->widget();

    Failure::skip([&] { Twips::setWidth(cboAddress, scaleWidth - Twips::left(cboAddress) - 100); });
    Failure::skip(
        [&] { Twips::setWidth(cboLinksList, scaleWidth - Twips::left(cboLinksList) - 100); });
    Failure::skip([&] { Twips::setWidth(browser, scaleWidth - 100); });
    // The page ends at the window's inner bottom edge, so its lowest part and its scroll
    // bar stay in view.
    Failure::skip([&] { Twips::setHeight(browser, scaleHeight - Twips::top(browser)); });
    Failure::skip([&] { Twips::setWidth(text, Twips::width(browser)); });
    Failure::skip([&] { Twips::setHeight(text, Twips::height(browser)); });
}

void frmWebBrowser::mnuOptions_Click()
{
    menuItem(QStringLiteral("mnuOptionsToolbar"))->setChecked(!WebToolbar->isHidden());
    menuItem(QStringLiteral("mnuOptionsStatusbar"))
        ->setChecked(!m_host.frameStatusBar().isHidden());
}

void frmWebBrowser::mnuOptionsToolbar_Click()
{
    QAction *item = menuItem(QStringLiteral("mnuOptionsToolbar"));
    item->setChecked(!item->isChecked());
    QWidget *browser = ctlWebBrowser->widget();
    if (item->isChecked()) {
        WebToolbar->setVisible(true);
        arrangeAlignedStrips();
        Twips::setTop(browser, Twips::top(browser) + Twips::height(WebToolbar));
    } else {
        const float toolbarHeight = Twips::height(WebToolbar);
        WebToolbar->setVisible(false);
        arrangeAlignedStrips();
        Twips::setTop(browser, Twips::top(browser) - toolbarHeight);
    }
    // The page and Text1 share the main area: both start where the page now starts and end
    // at the window's inner bottom edge, without waiting for the next resize.
    Twips::setTop(Text1->widget(), Twips::top(browser));
    Form_Resize();
}

void frmWebBrowser::mnuOptionsStatusbar_Click()
{
    OptionsStatusbarProc(*this);
}

void frmWebBrowser::OptionsStatusbarProc(frmWebBrowser &CurrentForm)
{
    QAction *item = CurrentForm.menuItem(QStringLiteral("mnuOptionsStatusbar"));
    item->setChecked(!item->isChecked());
    CurrentForm.m_host.frameStatusBar().setVisible(item->isChecked());
}

void frmWebBrowser::reportUnhandledFailure(const QString &name, const PlatformError &error)
{
    Failure::skip([&] { m_platform.screenPointer->setMousePointer(ScreenPointer::Default); });
    ErrMsgProc(name, error);
}

void frmWebBrowser::ErrMsgProc(const QString &mMsg, const PlatformError &error)
{
    m_platform.messageBox->MsgBox(errorPrompt(mMsg, error.number(), error.description()));
}
