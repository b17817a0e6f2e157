#include "windowfixture.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

class tst_WindowDesign : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { m_fixture.reset(); }

    void menuItems_data();
    void menuItems();
    void menuBarWhileOpenAndClosed();
    void recentAddressItemsHiddenAtStart();
    void toolbarButtons();
    void toolbarImages();
    void frameToolbar();
    void favoritesButtons();
    void toolbarWidgets();
    void controlsDoNotOverlap();
    void everyWindowHasTheIcon();

private:
    std::unique_ptr<WindowFixture> m_fixture;
};

void tst_WindowDesign::init()
{
    m_fixture = std::make_unique<WindowFixture>();
    m_fixture->start();
}

static QStringList itemCaptions(const QMenu *menu)
{
    QStringList captions;
    for (const QAction *action : menu->actions()) {
        if (action->objectName().startsWith(QLatin1String("mnuURLHistory")))
            continue;
        captions.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return captions;
}

void tst_WindowDesign::menuItems_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("items");

    QTest::newRow("Go") << "mnuGo"
                        << "&Go" << QStringList { "&Back", "&Forward", "-", "&Stop", "&Refresh",
                                                  "-",     "&Home",    "-", "&Exist" };
    QTest::newRow("File") << "mnuFile"
                          << "&File" << QStringList { "&Search", "-", "&Favorites list", "-" };
    QTest::newRow("Options") << "mnuOptions"
                             << "&Options" << QStringList { "&Toolbar", "&Statusbar" };
    QTest::newRow("Copy") << "mnuCopy"
                          << "&Copy"
                          << QStringList { "&Print desktop",
                                           "-",
                                           "&Capture desktop to file direct",
                                           "-",
                                           "Save &desktop  from clipboard (PrnScreen first)",
                                           "Save screen &text" };
    QTest::newRow("Mail") << "mnuMail"
                          << "&Mail" << QStringList { "&Inbox", "&Outbox", "&Contacts" };
    QTest::newRow("Links") << "mnuLinks"
                           << "&Links"
                           << QStringList { "Dispaly &current HTML doc",
                                            "-",
                                            "&List links",
                                            "&Dispaly Link HTML doc",
                                            "-",
                                            "&Print HTML doc (highlighted or all)",
                                            "&Save HTML doc",
                                            "-",
                                            "&Restore web browser" };
}

void tst_WindowDesign::menuItems()
{
    QFETCH(QString, menu);
    QFETCH(QString, caption);
    QFETCH(QStringList, items);

    QAction *menuAction = m_fixture->window().menuItem(menu);
    QVERIFY(menuAction);
    QCOMPARE(menuAction->text(), caption);
    QCOMPARE(itemCaptions(menuAction->menu()), items);
    for (const QAction *item : menuAction->menu()->actions()) {
        if (!item->isVisible())
            continue;
        QVERIFY2(item->shortcut().isEmpty(), qPrintable(item->text()));
        QVERIFY2(item->isEnabled() || item->isSeparator()
                     || item->objectName().startsWith(QLatin1String("mnuLinks")),
                 qPrintable(item->text()));
    }
}

void tst_WindowDesign::menuBarWhileOpenAndClosed()
{
    const QStringList browserMenus { "&Go", "&File", "&Options", "&Copy", "&Mail", "&Links" };
    QCOMPARE(m_fixture->menuBarCaptions(), browserMenus);

    m_fixture->window().mnuGoExit_Click();
    QApplication::processEvents();
    QCOMPARE(m_fixture->menuBarCaptions(), QStringList { "&File" });
    QCOMPARE(itemCaptions(m_fixture->frame->mnuFile), (QStringList { "&Web browser", "E&xit" }));

    m_fixture->frame->mnuFileWebBrowser->trigger();
    QApplication::processEvents();
    QCOMPARE(m_fixture->menuBarCaptions(), browserMenus);
}

void tst_WindowDesign::recentAddressItemsHiddenAtStart()
{
    const QMenu *file = m_fixture->window().menuItem("mnuFile")->menu();
    const QList<QAction *> actions = file->actions();
    // The ten items close the menu, after its second separator.
    QCOMPARE(actions.size(), 4 + 10);
    QCOMPARE(actions.at(3)->objectName(), QStringLiteral("mnuFileSep2"));
    for (int index = 0; index < 10; ++index) {
        QAction *item = actions.at(4 + index);
        QCOMPARE(item,
                 m_fixture->window().menuItem(QStringLiteral("mnuURLHistory(%1)").arg(index)));
        QVERIFY(!item->isVisible());
        QCOMPARE(item->text(),
                 index == 0 ? QStringLiteral("URLHistory")
                            : QStringLiteral("URLHistory%1").arg(index));
    }
}

void tst_WindowDesign::toolbarButtons()
{
    const QList<QAction *> buttons = m_fixture->window().toolbarButtons();
    QCOMPARE(buttons.size(), 23);

    const QStringList keys { "tbrBack",
                             "tbrForward",
                             "tbrStop",
                             "tbrRefresh",
                             "tbrHome",
                             "",
                             "tbrSearch",
                             "tbrFavoritesList",
                             "",
                             "tbrPrintDesktop",
                             "tbrCapDesktop",
                             "",
                             "tbrInbox",
                             "tbrOutbox",
                             "tbrContacts",
                             "",
                             "tbrDisplayCurrHTMLDoc",
                             "tbrListLinks",
                             "tbrDisplayLinkHTMLDoc",
                             "tbrPrintHTMLDoc",
                             "tbrSaveHTMLDoc",
                             "tbrRestoreWebBrowser",
                             "" };
    const QStringList toolTips { "Back",
                                 "Forward",
                                 "Stop",
                                 "Refresh",
                                 "Home",
                                 "",
                                 "Search",
                                 "Display Favorites List",
                                 "",
                                 "Print desktop",
                                 "Capture desktop to file directly",
                                 "",
                                 "Mail Inbox",
                                 "Mail Outbox",
                                 "Contacts",
                                 "",
                                 "Display current HTML document",
                                 "List links",
                                 "Display link HTML document",
                                 "Print displayed HTML doc (highlighted or all)",
                                 "Save displayed HTML document",
                                 "Restore web browser",
                                 "" };
    int separators = 0;
    QStringList captions;
    for (int i = 0; i < buttons.size(); ++i) {
        QAction *button = buttons.at(i);
        if (button->isSeparator()) {
            ++separators;
            QVERIFY2(keys.at(i).isEmpty(), qPrintable(QString::number(i)));
            continue;
        }
        QCOMPARE(button->objectName(), keys.at(i));
        QCOMPARE(button->toolTip(), toolTips.at(i));
        QCOMPARE(m_fixture->window().Buttons(keys.at(i)), button);
        if (!button->text().isEmpty())
            captions.append(button->text());
    }
    QCOMPARE(separators, 5);
    QCOMPARE(captions, QStringList { "Back" });

    auto *back
        = qobject_cast<QToolButton *>(m_fixture->WebToolbar()->widgetForAction(buttons.first()));
    QVERIFY(back);
    QCOMPARE(back->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);

    QVERIFY_THROWS_EXCEPTION(PlatformError, m_fixture->window().Buttons("tbrNoSuchKey"));
    QVERIFY_THROWS_EXCEPTION(PlatformError, m_fixture->window().menuItem("mnuNoSuchItem"));
}

void tst_WindowDesign::toolbarImages()
{
    // Each keyed button shows its own picture, drawn at 16 x 16.
    QList<QImage> seen;
    for (QAction *button : m_fixture->window().toolbarButtons()) {
        if (button->isSeparator())
            continue;
        const QImage image = button->icon().pixmap(16, 16).toImage();
        QVERIFY2(!image.isNull(), qPrintable(button->objectName()));
        QCOMPARE(image.size(), QSize(16, 16));
        QVERIFY2(!seen.contains(image), qPrintable(button->objectName()));
        seen.append(image);
    }
    QCOMPARE(seen.size(), 18);
}

void tst_WindowDesign::frameToolbar()
{
    QToolBar *toolbar = m_fixture->frame->FrameToolBar;
    const QList<QAction *> actions = toolbar->actions();
    QCOMPARE(actions.size(), 2);
    QVERIFY(actions.at(0)->isSeparator());
    QCOMPARE(actions.at(1)->objectName(), QStringLiteral("tbrOpen"));
    QVERIFY(!actions.at(1)->icon().pixmap(16, 16).isNull());

    m_fixture->window().mnuGoExit_Click();
    QApplication::processEvents();
    QVERIFY(!m_fixture->frame->webBrowser());
    QVERIFY(!toolbar->isHidden());
    // No context menu offers to hide it: nothing would bring it back.
    const QPoint onToolbar = toolbar->geometry().center();
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, onToolbar,
                                m_fixture->frame->mapToGlobal(onToolbar));
    QApplication::sendEvent(m_fixture->frame.get(), &menuEvent);
    QVERIFY(!QApplication::activePopupWidget());

    auto *button = qobject_cast<QToolButton *>(toolbar->widgetForAction(actions.at(1)));
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
    QApplication::processEvents();
    QVERIFY(m_fixture->frame->webBrowser());
    QVERIFY(toolbar->isHidden());
}

void tst_WindowDesign::favoritesButtons()
{
    QCOMPARE(m_fixture->control<QToolButton>("cmdSelectFavorite")->toolTip(),
             QStringLiteral("Select favorite "));
    QCOMPARE(m_fixture->control<QToolButton>("cmdAddFavorite")->toolTip(),
             QStringLiteral("Add to Favorites List"));
    QCOMPARE(m_fixture->control<QToolButton>("cmdDeleteFavorite")->toolTip(),
             QStringLiteral("Remove from list"));
    QCOMPARE(m_fixture->control<QToolButton>("cmdExitFavoritesList")->toolTip(),
             QStringLiteral("Exit Favorites List (return to Links)"));
    for (int index = 0; index < 4; ++index) {
        QCOMPARE(m_fixture->control<QFrame>(QStringLiteral("pic1(%1)").arg(index))->parentWidget(),
                 m_fixture->control<QFrame>("picFavouritesListContainer"));
        QVERIFY(!m_fixture->control<QFrame>(QStringLiteral("pic1(%1)").arg(index))
                     ->findChild<QToolButton *>()
                     ->icon()
                     .isNull());
    }
    QCOMPARE(m_fixture->control<QLabel>("lblFavorites")->text(), QStringLiteral("Favourites:"));
    QCOMPARE(m_fixture->control<QLabel>("lblLinks")->text(), QStringLiteral("Links:"));
    QCOMPARE(m_fixture->control<QLabel>("lblAddress")->text(), QStringLiteral("Address:"));
    QVERIFY(!m_fixture->cboFavoritesList()->isEditable());
    QVERIFY(m_fixture->cboAddress()->isEditable());
    QVERIFY(m_fixture->cboLinksList()->isEditable());
}

void tst_WindowDesign::toolbarWidgets()
{
    const frmWebBrowser &window = m_fixture->window();
    QCOMPARE(m_fixture->tbrProgress()->parentWidget(), m_fixture->WebToolbar());
    QCOMPARE(m_fixture->tbrProgress()->minimum(), 0);
    QCOMPARE(m_fixture->tbrProgress()->maximum(), 100);
    QCOMPARE(m_fixture->control<PictureBox>("picAnimation")->parentWidget(),
             m_fixture->WebToolbar());
    QCOMPARE(m_fixture->control<PictureBox>("picAnimation")->toolTip(),
             QStringLiteral("Restore web browser"));
    QVERIFY(m_fixture->control<PictureBox>("picAnimation")->isVisible());
    QCOMPARE(m_fixture->frame->StatusBar1->findChildren<QLabel *>().size(), 1);
    QCOMPARE(window.windowTitle().isEmpty(), false);
}

static void verifyNoOverlap(const QList<QWidget *> &widgets)
{
    for (int i = 0; i < widgets.size(); ++i) {
        for (int j = i + 1; j < widgets.size(); ++j) {
            const QRect a = widgets.at(i)->geometry();
            const QRect b = widgets.at(j)->geometry();
            QVERIFY2(!a.intersects(b),
                     qPrintable(widgets.at(i)->objectName() + " overlaps "
                                + widgets.at(j)->objectName()));
        }
    }
}

void tst_WindowDesign::controlsDoNotOverlap()
{
    frmWebBrowser &window = m_fixture->window();
    verifyNoOverlap({ m_fixture->WebToolbar(), m_fixture->control<QFrame>("picAddressContainer"),
                      m_fixture->control<QFrame>("picFavouritesListContainer"),
                      m_fixture->control("ctlWebBrowser") });
    verifyNoOverlap({ m_fixture->control<QLabel>("lblAddress"), m_fixture->cboAddress() });
    verifyNoOverlap({ m_fixture->control<QLabel>("lblLinks"), m_fixture->cboLinksList() });
    verifyNoOverlap({ m_fixture->control<QLabel>("lblFavorites"),
                      m_fixture->control<QFrame>("pic1(0)"), m_fixture->control<QFrame>("pic1(1)"),
                      m_fixture->control<QFrame>("pic1(2)"), m_fixture->control<QFrame>("pic1(3)"),
                      m_fixture->cboFavoritesList() });
    verifyNoOverlap(
        { m_fixture->tbrProgress(), m_fixture->control<PictureBox>("picAnimation"),
          m_fixture->WebToolbar()->widgetForAction(window.Buttons("tbrRestoreWebBrowser")) });
    // The strips end inside the window, and the page fills the rest of it.
    QCOMPARE(m_fixture->control("ctlWebBrowser")->geometry().bottom(), window.rect().bottom());
}

void tst_WindowDesign::everyWindowHasTheIcon()
{
    // The windows the browser window opens, each a top-level window of its own.
    QApplication::setActiveWindow(m_fixture->frame.get());
    for (const char *keys : { "Ctrl+H", "Ctrl+Shift+K", "Ctrl+Shift+P", "Ctrl+Shift+Y" })
        QTest::keySequence(m_fixture->frame.get(), QKeySequence(QString::fromLatin1(keys)));
    Q_EMIT m_fixture->browser().tools().ViewSourceRequested(QStringLiteral("http://page.test/"));
    QApplication::processEvents();
    int windows = 0;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (!window->isVisible())
            continue;
        ++windows;
        QVERIFY2(!window->windowIcon().isNull(), qPrintable(window->objectName()));
    }
    QVERIFY(windows >= 4);
}

KESTRAV_TEST_MAIN(tst_WindowDesign)
#include "tst_windowdesign.moc"
