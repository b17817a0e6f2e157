#include "ui/frmwebbrowser.h"

#include "accessibility/accessibility.h"
#include "favorites/favoriteslistmodel.h"
#include "favorites/favoriteslocation.h"
#include "platform/api/appinfo.h"
#include "platform/api/contentblocking.h"
#include "platform/api/internettransfer.h"
#include "platform/api/messagebox.h"
#include "platform/api/richtextarea.h"
#include "platform/api/screenpointer.h"
#include "platform/api/startupphase.h"
#include "platform/api/userquestions.h"
#include "platform/api/webbrowsercontrol.h"
#include "settings/keepingsettingsstore.h"
#include "ui/fullscreenlayout.h"
#include "ui/picturebox.h"
#include "ui/twips.h"
#include "ui/webbrowserhost.h"
#include "ui/windowdesign.h"
#include "ui/windowrows.h"

#include <algorithm>
#include <iterator>
#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

// The keys typed into the address box, as the user typed them: the box keeps the focus and
// hands them to its line edit itself.
class AddressBoxKeys final : public QObject
{
public:
    AddressBoxKeys(QObject *parent, std::function<void(QKeyEvent *)> typed)
        : QObject(parent)
        , m_typed(std::move(typed))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The box's own moves through its list (Up, Down, Page Up, Page Down, the wheel)
        // would open the entry they reach: only Enter and a choice from the opened list go.
        if (event->type() == QEvent::Wheel)
            return true;
        if (event->type() == QEvent::KeyPress && movesThroughList(static_cast<QKeyEvent *>(event)))
            return true;
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::FocusOut)
            m_typed(event->type() == QEvent::KeyPress ? static_cast<QKeyEvent *>(event) : nullptr);
        return QObject::eventFilter(watched, event);
    }

    static bool movesThroughList(const QKeyEvent *key)
    {
        switch (key->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
            // Alt with them opens and closes the list.
            return !(key->modifiers() & Qt::AltModifier);
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            return true;
        default:
            return false;
        }
    }

private:
    std::function<void(QKeyEvent *)> m_typed;
};

// The control in the parts that features take. The blocking names its page by the control;
// the page's events tell it to the features, which do not know the control.
WindowParts::Page partsOf(WebBrowserControl &page, ContentBlocking *blocking)
{
    if (blocking)
        QObject::connect(blocking, &ContentBlocking::blockedCountChanged, &page.events(),
                         [&page](const WebBrowserControl *control) {
                             if (control == &page)
                                 Q_EMIT page.events().BlockedCountChange();
                         });
    return { .identity = &page,
             .widget = *page.widget(),
             .events = page.events(),
             .find = page.find(),
             .zoom = page.zoom(),
             .printing = page.printing(),
             .document = page.document(),
             .tools = page.tools(),
             .signIns = page.signIns(),
             .reader = page.reader(),
             .downloads = page.downloadControl(),
             .address = [&page] { return page.LocationURL(); },
             .title = [&page] { return page.LocationName(); },
             .navigate = [&page](const QString &url) { page.Navigate(url); },
             .reload = [&page] { page.Refresh(); },
             .focus = [&page] { page.SetFocus(); } };
}

} // namespace

frmWebBrowser::frmWebBrowser(WebBrowserHost &host, Platform platform, FeatureList features,
                             QWidget *parent)
    : QWidget(parent)
    , m_host(host)
    , m_platform(std::move(platform))
    , m_guard(
          [this](const QString &name, const PlatformError &error) {
              // The command has ended, so the pointer must not stay busy.
              Failure::skip(
                  [&] { m_platform.screenPointer->setMousePointer(ScreenPointer::Default); });
              // A full disk is no fault of the command: it is said in plain words alone.
              if (error.number() == ErrorCode::DiskFull)
                  m_platform.messageBox->MsgBox(error.description());
              else
                  ErrMsgProc(name, error);
          },
          [this] { m_status.set(StatusLine::Message, QString()); },
          [this](const QString &name, const PlatformError &error) { ErrMsgProc(name, error); })
    , m_status(host)
    , m_features(features.take())
{
    if (const QStringList missing = m_platform.missingServices(); !missing.isEmpty())
        qFatal("The browser window needs a platform without gaps; missing: %s",
               qPrintable(missing.join(QStringLiteral(", "))));
    // The platform's settings keep what the file refuses; a platform of plain stores gets the
    // same for this window.
    m_keptSettings = std::dynamic_pointer_cast<KeepingSettingsStore>(m_platform.settings);
    if (!m_keptSettings) {
        m_keptSettings = std::make_shared<KeepingSettingsStore>(m_platform.settings);
        m_platform.settings = m_keptSettings;
    }
    m_keptSettings->setNoticed(
        [this](const QString &notice) { m_status.setTrouble(QStringLiteral("settings"), notice); });
    ctlInet = m_platform.createInternetTransfer();
    Text1 = m_platform.createRichTextArea(this);
    ctlWebBrowser = m_platform.createWebBrowserControl(this);
    ctlWebBrowser->setObjectName(QStringLiteral("ctlWebBrowser"));
    markStartupPhase("web control");
    std::vector<Commands::Command> rows = WindowRows::bound(*this);
    for (const std::unique_ptr<Feature> &feature : m_features)
        std::ranges::move(feature->commands(), std::back_inserter(rows));
    m_commands = std::move(rows);
    setupUi(this, ctlWebBrowser->widget(), Text1->widget(), commands());
    m_fullScreen = std::make_unique<FullScreenLayout>(
        host, *this,
        QList<QWidget *> { WebToolbar, picAddressContainer, picFavouritesListContainer },
        QList<QWidget *> { ctlWebBrowser->widget(), Text1->widget() });
    makeParts();
    for (const std::unique_ptr<Feature> &feature : m_features)
        feature->make(*m_parts);
    connectCommands();
    connectEvents();
    markStartupPhase("browser window");
}

void frmWebBrowser::makeParts()
{
    // The window's own handling of its address box comes first: the keys reach it before
    // what a feature adds to the box.
    // Enter and a choice from the list each navigate once.
    // Choosing an entry of the list, with the mouse or the arrow keys, accepts it at once.
    connect(cboAddress, &QComboBox::activated, this, [this] {
        if (m_addressKeyPending)
            return;
        m_addressText.chosen(cboAddress->currentText());
        m_guard.user("cboAddress_Click", [&] { cboAddress_Click(); });
    });
    connect(cboAddress->lineEdit(), &QLineEdit::textEdited, this,
            [this] { m_addressText.edited(); });
    cboAddress->installEventFilter(new AddressBoxKeys(this, [this](QKeyEvent *key) {
        const bool finishesEdit
            = !key || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
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
                m_guard.user("cboAddress_KeyPress", [&] { cboAddress_KeyPress(keyAscii); });
        }
    }));

    WebBrowserControl &page = *ctlWebBrowser;
    m_addressEvents = new AddressBoxEvents(this);
    m_parts.reset(new WindowParts {
        .host = m_host,
        .window = *this,
        .design = *this,
        .page = partsOf(page, m_platform.blocking.get()),
        .makePage =
            [this](QWidget *parent) {
                return partsOf(*m_platform.createWebBrowserControl(parent),
                               m_platform.blocking.get());
            },
        .addressBox
        = { .box = *cboAddress,
            .events = *m_addressEvents,
            .favorites = [this] { return favoritesModel->texts(); },
            // An address a feature gives goes as if chosen in the address box.
            .open =
                [this](const QString &url) {
                    activateWindow();
                    m_guard.user("cboAddress_Click", [&] {
                        cboAddress->setEditText(url);
                        cboAddress_Click();
                    });
                },
            .chosen = [this](const QString &address) { m_addressText.chosen(address); },
            .forget = [this](const QStringList &addresses,
                             bool everything) { forgetAddresses(addresses, everything); } },
        .favorites
        = { .path = [this] { return FavoritesFilePath; },
            .reread
            = [this] { m_guard.run("ReadFavoritesList", [this] { ReadFavoritesList(); }); } },
        .text = *Text1,
        .status = m_status,
        .platform = m_platform,
        .guarded
        = [this](const char *name, const WindowParts::Work &work) { m_guard.run(name, work); },
        .userHandler
        = [this](const char *name, const WindowParts::Work &work) { m_guard.user(name, work); },
        .reportAndLeave
        = [this](const char *name, const WindowParts::Work &work) { m_guard.report(name, work); },
        .action = [this](const QString &name) { return menuItem(name); },
        .run = [this](const char *name) { Commands::named(commands(), name)->handler(); },
        .addressShown =
            [this](QString location) {
                for (const std::unique_ptr<Feature> &feature : m_features)
                    if (const WindowFeature *unit = feature->windowFeature())
                        location = unit->addressShown(location);
                return location;
            },
        .layoutChanged =
            [this] {
                Form_Resize();
                updateEscapeKey();
            },
    });
}

frmWebBrowser::~frmWebBrowser()
{
    // The settings may outlive the window, which tells their trouble no more.
    m_keptSettings->setNoticed({});
}

QString frmWebBrowser::urlHistoryCaption(int Index) const
{
    if (Index < 0 || Index >= WindowDesign::urlHistoryItemCount)
        throw PlatformError(ErrorCode::SubscriptOutOfRange,
                            QStringLiteral("Subscript out of range"));
    return mnuURLHistory[Index]->data().toString();
}

Downloads &frmWebBrowser::downloads() const
{
    return ctlWebBrowser->downloadControl().downloads();
}

void frmWebBrowser::updateEscapeKey()
{
    bool featureCloses = false;
    for (const std::unique_ptr<Feature> &feature : m_features) {
        if (const WindowFeature *unit = feature->windowFeature())
            featureCloses = featureCloses || unit->closesOnEscape();
    }
    menuItem(QStringLiteral("actStop"))
        ->setEnabled(featureCloses || m_fullScreen->isOn() || ctlWebBrowser->Busy());
}

void frmWebBrowser::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    arrangeAlignedStrips(this);
    m_guard.run("Form_Resize", [&] { Form_Resize(); });
    m_fullScreen->fill();
}

void frmWebBrowser::Show()
{
    m_host.showWebBrowserWindow(this);
}

void frmWebBrowser::Form_Load()
{
    // Each step that can fail is left out when it does, and the next one runs.
    FrameToolBarWasVisible = !m_host.frameToolBar().isHidden();
    m_host.frameToolBar().setVisible(false);
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
    Form_Resize();
    timer1->setInterval(500);
    Text1->widget()->setVisible(false);
    ctlWebBrowser->widget()->setVisible(true);
    picLinksListContainer->setVisible(true);
    Failure::skip([&] { EnableCommandsProc(true); });
    ReadRecentURLs();
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
        const int running = ctlWebBrowser->downloadControl().DownloadsInProgress();
        if (running > 0 && m_platform.questions->cancelDownloads(running))
            ctlWebBrowser->downloadControl().CancelDownloads();
    });
    m_host.frameToolBar().setVisible(FrameToolBarWasVisible);
    Failure::skip([&] { ctlInet->Cancel(); });
    // The panel belongs to the frame, which stays: nothing of this window may linger in it.
    m_host.setStatusText(QString());
}

void frmWebBrowser::closeEvent(QCloseEvent *event)
{
    m_guard.run("Form_QueryUnload", [&] { Form_QueryUnload(); });
    event->accept();
    m_host.webBrowserWindowClosing(this);
}

void frmWebBrowser::mnuGoExit_Click()
{
    m_host.closeWebBrowserWindow(this);
}

void frmWebBrowser::Form_Resize()
{
    const float scaleWidth = Twips::fromPixels(this, width());
    // A bar at the foot (find), while it is shown, takes it from the main area.
    int footHeight = 0;
    for (const std::unique_ptr<Feature> &feature : m_features) {
        if (const WindowFeature *unit = feature->windowFeature())
            footHeight += unit->footHeight();
    }
    const float scaleHeight = Twips::fromPixels(this, height() - footHeight);
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
        arrangeAlignedStrips(this);
        Twips::setTop(browser, Twips::top(browser) + Twips::height(WebToolbar));
    } else {
        const float toolbarHeight = Twips::height(WebToolbar);
        WebToolbar->setVisible(false);
        arrangeAlignedStrips(this);
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

void frmWebBrowser::ErrMsgProc(const QString &mMsg, const PlatformError &error)
{
    showErrorBox(*m_platform.messageBox, mMsg, error);
}
