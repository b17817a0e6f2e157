#include "ui/frmwebbrowser.h"

#include "accessibility/accessibility.h"
#include "favorites/favoriteslocation.h"
#include "platform/api/appinfo.h"
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
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

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
