#include "platform/api/richtextarea.h"
#include "ui/twips.h"
#include "windowfixture.h"

#include <QComboBox>
#include <QFrame>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

// Sizes are compared in twips, within one pixel of rounding.
#define QCOMPARE_TWIPS(actual, expected)                                                           \
    QVERIFY2(qAbs((actual) - (expected)) <= Twips::perPixel(&window()),                            \
             qPrintable(QStringLiteral("%1 is not %2").arg(actual).arg(expected)))

class tst_Layout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { m_fixture.reset(); }

    void sizesFollowTheWindow_data();
    void sizesFollowTheWindow();
    void tooSmallKeepsSizesAndRestoreFits();
    void linksPanelKeepsItsWidth();
    void toolbarOption();
    void resizeAfterHidingToolbar();
    void checkMarksFollowTheRealState();
    void statusbarFromAnyWindowWithTheItem();
    void errorPrompt_data();
    void errorPrompt();
    void unhandledFailureShownAndWindowKeepsRunning();

private:
    frmWebBrowser &window() { return m_fixture->window(); }
    QWidget *browserWidget() { return m_fixture->control("ctlWebBrowser"); }
    // Gives the browser window this inner size in twips, as the frame's MDI area would.
    void resizeWindow(float widthTwips, float heightTwips);

    std::unique_ptr<WindowFixture> m_fixture;
};

void tst_Layout::init()
{
    m_fixture = std::make_unique<WindowFixture>();
    m_fixture->start();
    // Out of the MDI area's hands, so that the test sets the window's size itself.
    window().parentWidget()->showNormal();
}

void tst_Layout::resizeWindow(float widthTwips, float heightTwips)
{
    window().resize(Twips::toPixels(&window(), widthTwips),
                    Twips::toPixels(&window(), heightTwips));
    QApplication::processEvents();
}

void tst_Layout::sizesFollowTheWindow_data()
{
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");
    QTest::newRow("design size") << 11880.0f << 6315.0f;
    QTest::newRow("small") << 6000.0f << 4500.0f;
    QTest::newRow("wide and low") << 20000.0f << 3000.0f;
    QTest::newRow("narrow and tall") << 1500.0f << 12000.0f;
}

void tst_Layout::sizesFollowTheWindow()
{
    QFETCH(float, width);
    QFETCH(float, height);
    resizeWindow(width, height);
    const float W = Twips::width(&window());
    const float H = Twips::height(&window());
    const float top = Twips::top(browserWidget());

    QCOMPARE_TWIPS(Twips::width(m_fixture->cboAddress()), W - 1060);
    QCOMPARE_TWIPS(Twips::width(m_fixture->cboLinksList()), W - 1030);
    QCOMPARE_TWIPS(Twips::width(browserWidget()), W - 100);
    QCOMPARE(m_fixture->Text1().widget()->width(), browserWidget()->width());
    // The page ends at the window's inner bottom edge.
    QCOMPARE_TWIPS(Twips::height(browserWidget()), H - top);
    QCOMPARE(browserWidget()->geometry().bottom(), window().rect().bottom());
    QCOMPARE(m_fixture->Text1().widget()->height(), browserWidget()->height());
    // Left and top positions never move.
    QCOMPARE_TWIPS(Twips::left(m_fixture->cboAddress()), 960.0f);
    QCOMPARE_TWIPS(Twips::left(browserWidget()), 60.0f);
    QCOMPARE_TWIPS(Twips::left(m_fixture->Text1().widget()), 30.0f);
}

void tst_Layout::tooSmallKeepsSizesAndRestoreFits()
{
    resizeWindow(9000, 6000);
    const QSize browserSize = browserWidget()->size();
    const QSize addressSize = m_fixture->cboAddress()->size();

    // Like a minimised window: every computed size is negative and refused.
    resizeWindow(15, 15);
    QCOMPARE(browserWidget()->size(), browserSize);
    QCOMPARE(m_fixture->cboAddress()->size(), addressSize);
    QCOMPARE(m_fixture->Text1().widget()->size(), browserSize);

    // Wide enough for the address box but too low for the page: only the height is kept.
    resizeWindow(3000, 300);
    QCOMPARE_TWIPS(Twips::width(m_fixture->cboAddress()), Twips::width(&window()) - 1060);
    QCOMPARE(browserWidget()->height(), browserSize.height());

    resizeWindow(10000, 7000);
    QCOMPARE_TWIPS(Twips::width(browserWidget()), Twips::width(&window()) - 100);
    QCOMPARE_TWIPS(Twips::height(browserWidget()),
                   Twips::height(&window()) - Twips::top(browserWidget()));
    QCOMPARE(m_fixture->test.messages->prompts, QStringList());
}

void tst_Layout::linksPanelKeepsItsWidth()
{
    resizeWindow(20000, 6000);
    QCOMPARE_TWIPS(Twips::width(m_fixture->control<QFrame>("picLinksListContainer")), 11880.0f);
    QCOMPARE_TWIPS(Twips::width(m_fixture->cboFavoritesList()), 7485.0f);
    // The links box runs past the panel's edge, where the panel cuts it off.
    QVERIFY(m_fixture->cboLinksList()->geometry().right()
            > m_fixture->control<QFrame>("picLinksListContainer")->rect().right());
    QCOMPARE(m_fixture->control<QFrame>("picFavouritesListContainer")->width(), window().width());
}

void tst_Layout::toolbarOption()
{
    resizeWindow(11880, 6315);
    const int top = browserWidget()->y();
    const int toolbarHeight = m_fixture->WebToolbar()->height();
    QAction *item = window().menuItem("mnuOptionsToolbar");
    QVERIFY(item->isChecked());
    // After each toggle the page and Text1 start together and end at the inner bottom edge.
    const auto checkMainArea = [&](int expectedTop) {
        QCOMPARE(browserWidget()->y(), expectedTop);
        QCOMPARE(m_fixture->Text1().widget()->y(), expectedTop);
        QCOMPARE(browserWidget()->geometry().bottom(), window().rect().bottom());
        QCOMPARE(m_fixture->Text1().widget()->geometry().bottom(), window().rect().bottom());
    };

    item->trigger();
    QVERIFY(!item->isChecked());
    QVERIFY(m_fixture->WebToolbar()->isHidden());
    checkMainArea(top - toolbarHeight);
    // The panels move up with the toolbar, and the page stays below them.
    QCOMPARE(m_fixture->control<QFrame>("picAddressContainer")->y(), 0);
    QCOMPARE(browserWidget()->y(),
             m_fixture->control<QFrame>("picFavouritesListContainer")->geometry().bottom() + 1);

    item->trigger();
    QVERIFY(item->isChecked());
    QVERIFY(!m_fixture->WebToolbar()->isHidden());
    checkMainArea(top);
}

void tst_Layout::resizeAfterHidingToolbar()
{
    resizeWindow(11880, 6315);
    window().mnuOptionsToolbar_Click();
    const int raisedTop = browserWidget()->y();
    resizeWindow(9000, 8000);
    QCOMPARE(browserWidget()->y(), raisedTop);
    QCOMPARE(browserWidget()->geometry().bottom(), window().rect().bottom());
}

void tst_Layout::checkMarksFollowTheRealState()
{
    QStatusBar *statusBar = m_fixture->frame->StatusBar1;
    statusBar->setVisible(false); // hidden elsewhere
    m_fixture->WebToolbar()->setVisible(false);
    QMenu *options = window().menuItem("mnuOptions")->menu();
    Q_EMIT options->aboutToShow();
    QAction *statusItem = window().menuItem("mnuOptionsStatusbar");
    QVERIFY(!statusItem->isChecked());
    QVERIFY(!window().menuItem("mnuOptionsToolbar")->isChecked());

    statusItem->trigger();
    QVERIFY(statusItem->isChecked());
    QVERIFY(!statusBar->isHidden());

    statusItem->trigger();
    QVERIFY(!statusItem->isChecked());
    QVERIFY(statusBar->isHidden());

    m_fixture->WebToolbar()->setVisible(true);
    Q_EMIT options->aboutToShow();
    QVERIFY(window().menuItem("mnuOptionsToolbar")->isChecked());
}

void tst_Layout::statusbarFromAnyWindowWithTheItem()
{
    QStatusBar *statusBar = m_fixture->frame->StatusBar1;
    QAction *item = window().menuItem("mnuOptionsStatusbar");
    item->setChecked(true);
    frmWebBrowser::OptionsStatusbarProc(window());
    QVERIFY(!item->isChecked());
    QVERIFY(statusBar->isHidden());
}

void tst_Layout::errorPrompt_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("prompt");
    QTest::newRow("positive code") << 75 << "Path/File access error"
                                   << "mnuCopyCapDeskTop_Click\r\n75     Path/File access error";
    QTest::newRow("negative code")
        << -2147467259 << "Unspecified error"
        << "mnuCopyCapDeskTop_Click\r\n-2147467259     Unspecified error";
    QTest::newRow("empty description") << 53 << ""
                                       << "mnuCopyCapDeskTop_Click\r\n53     ";
}

void tst_Layout::errorPrompt()
{
    QFETCH(int, number);
    QFETCH(QString, description);
    QFETCH(QString, prompt);
    window().ErrMsgProc("mnuCopyCapDeskTop_Click", PlatformError(number, description));
    QCOMPARE(m_fixture->test.messages->prompts, QStringList { prompt });
}

void tst_Layout::unhandledFailureShownAndWindowKeepsRunning()
{
    // The favorites file is gone when the add reads it; nothing in the handler catches
    // that, so the guard shows it and the window goes on.
    QVERIFY(QFile::remove(m_fixture->favoritesPath()));
    QTest::mouseClick(m_fixture->control<QToolButton>("cmdAddFavorite"), Qt::LeftButton);
    QCOMPARE(m_fixture->test.messages->prompts.size(), 1);
    QVERIFY(m_fixture->test.messages->prompts.first().startsWith("cmdAddFavorite_Click\r\n53"));

    window().mnuGoHome_Click();
    QCOMPARE(m_fixture->browser().calls.last(), QStringLiteral("GoHome"));
    QCOMPARE(m_fixture->test.messages->prompts.size(), 1);
}

KESTRAV_TEST_MAIN(tst_Layout)
#include "tst_layout.moc"
