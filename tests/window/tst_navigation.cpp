#include "platform/api/richtextarea.h"
#include "windowfixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QTimer>
#include <QToolBar>
#include <QWheelEvent>

class tst_Navigation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { m_fixture.reset(); }

    void keyMatchesWhateverItsCase_data();
    void keyMatchesWhateverItsCase();
    void unknownKeyOnlyArmsTheBusyIndication_data();
    void unknownKeyOnlyArmsTheBusyIndication();
    void backWithNothingBehind();
    void stop();
    void menuCommandsGoThroughTheDispatcher_data();
    void menuCommandsGoThroughTheDispatcher();
    void enableCommands_data();
    void enableCommands();
    void enterInEmptyBox();
    void addressOfSpacesHandedOverUnchanged();
    void typedAddressNavigatesOnceOnEnter();
    void otherKeysDoNotNavigate();
    void choosingAnEntryNavigates();
    void startPageLeavesTheBoxEmpty();
    void addingToFavoritesIsTold_data();
    void addingToFavoritesIsTold();
    void completedNavigationsKeepTheList();
    void addressListUpdate_data();
    void addressListUpdate();
    void reentrantClickDoesNothing();
    void recentAddressWrittenOnlyAfterKnownLocation();
    void timerTicks();
    void pointerNeverStaysBusyAfterCompletedHandlers();
    void returnToBrowserView();
    void linkListAndFetch();

private:
    frmWebBrowser &window() { return m_fixture->window(); }
    FakeWebBrowserControl &browser() { return m_fixture->browser(); }
    QAction *keyedButton(const QString &key);

    std::unique_ptr<WindowFixture> m_fixture;
};

void tst_Navigation::init()
{
    m_fixture = std::make_unique<WindowFixture>();
    m_fixture->start();
    browser().calls.clear();
    m_fixture->timer1()->stop();
    m_fixture->tbrProgress()->setValue(0);
}

QAction *tst_Navigation::keyedButton(const QString &key)
{
    auto *button = new QAction(m_fixture->frame.get());
    button->setObjectName(key);
    return button;
}

void tst_Navigation::keyMatchesWhateverItsCase_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("as designed") << "tbrBack" << QStringList { "GoBack" };
    QTest::newRow("lower case") << "tbrforward" << QStringList { "GoForward" };
    QTest::newRow("upper case") << "TBRREFRESH" << QStringList { "Refresh" };
    QTest::newRow("mixed case") << "TbRhOmE" << QStringList { "GoHome" };
    QTest::newRow("search") << "tbrSearch" << QStringList { "GoSearch" };
    QTest::newRow("display current document")
        << "tbrdisplaycurrhtmldoc" << QStringList { "Document.Body.innerHTML" };
    QTest::newRow("list links") << "TBRLISTLINKS" << QStringList { "Document.Links" };
}

void tst_Navigation::keyMatchesWhateverItsCase()
{
    QFETCH(QString, key);
    QFETCH(QStringList, calls);
    m_fixture->cboAddress()->setEditText("http://example.test/");
    browser().links = QStringList { "http://example.test/a" };
    browser().hasDocument = true;
    window().WebToolbar_ButtonClick(keyedButton(key));
    QCOMPARE(browser().calls, calls);
    QVERIFY(m_fixture->timer1()->isActive());
}

void tst_Navigation::unknownKeyOnlyArmsTheBusyIndication_data()
{
    QTest::addColumn<QString>("key");
    QTest::newRow("no such command") << "tbrNoSuchCommand";
    QTest::newRow("no key") << "";
    QTest::newRow("a key with a trailing space") << "tbrBack ";
}

void tst_Navigation::unknownKeyOnlyArmsTheBusyIndication()
{
    QFETCH(QString, key);
    const QString caption = window().windowTitle();
    window().WebToolbar_ButtonClick(keyedButton(key));
    QVERIFY(m_fixture->timer1()->isActive());
    QCOMPARE(m_fixture->tbrProgress()->value(), 90);
    QCOMPARE(browser().calls, QStringList());
    QCOMPARE(window().windowTitle(), caption);
}

void tst_Navigation::backWithNothingBehind()
{
    m_fixture->chooseItem("mnuGoBack");
    QCOMPARE(browser().calls, QStringList { "GoBack" });
    QCOMPARE(m_fixture->test.messages->prompts, QStringList());
    QCOMPARE(m_fixture->tbrProgress()->value(), 90);
    QVERIFY(m_fixture->timer1()->isActive());

    // The next tick that finds the control idle takes the bar back to 0.
    browser().busy = false;
    window().timer1_Timer();
    QCOMPARE(m_fixture->tbrProgress()->value(), 0);
}

void tst_Navigation::stop()
{
    browser().busy = true;
    browser().locationName = "Half a page";
    m_fixture->timer1()->start();
    m_fixture->clickButton("tbrStop");
    QCOMPARE(browser().calls, QStringList { "Stop" });
    QCOMPARE(m_fixture->tbrProgress()->value(), 0);
    QVERIFY(!m_fixture->timer1()->isActive());
    QCOMPARE(window().windowTitle(), QStringLiteral("Half a page"));
}

void tst_Navigation::menuCommandsGoThroughTheDispatcher_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("back") << "mnuGoBack" << QStringList { "GoBack" };
    QTest::newRow("forward") << "mnuGoForward" << QStringList { "GoForward" };
    QTest::newRow("refresh") << "mnuGoRefresh" << QStringList { "Refresh" };
    QTest::newRow("home") << "mnuGoHome" << QStringList { "GoHome" };
    QTest::newRow("search") << "mnuFileSearch" << QStringList { "GoSearch" };
}

void tst_Navigation::menuCommandsGoThroughTheDispatcher()
{
    QFETCH(QString, item);
    QFETCH(QStringList, calls);
    m_fixture->chooseItem(item);
    QCOMPARE(browser().calls, calls);
    QCOMPARE(m_fixture->tbrProgress()->value(), 90);
    QVERIFY(m_fixture->timer1()->isActive());
    QCOMPARE(m_fixture->test.messages->prompts, QStringList());
}

void tst_Navigation::enableCommands_data()
{
    QTest::addColumn<bool>("browserView");
    QTest::newRow("source view") << false;
    QTest::newRow("browser view") << true;
}

void tst_Navigation::enableCommands()
{
    QFETCH(bool, browserView);
    // Items the procedure leaves alone keep whatever state they had.
    const QStringList untouchedButtons { "tbrInbox",
                                         "tbrOutbox",
                                         "tbrContacts",
                                         "tbrDisplayCurrHTMLDoc",
                                         "tbrListLinks",
                                         "tbrDisplayLinkHTMLDoc",
                                         "tbrRestoreWebBrowser" };
    const QStringList untouchedMenus { "mnuOptions", "mnuMail", "mnuLinks", "mnuLinksListLinks",
                                       "mnuLinksRestoreWebBrowser" };
    for (int i = 0; i < untouchedButtons.size(); ++i)
        window().Buttons(untouchedButtons.at(i))->setEnabled(i % 2 == 0);
    for (int i = 0; i < untouchedMenus.size(); ++i)
        window().menuItem(untouchedMenus.at(i))->setEnabled(i % 2 == 1);
    // Start from the opposite state, so that every switched item has to change.
    window().EnableCommandsProc(!browserView);
    m_fixture->test.pointer->history.clear();

    window().EnableCommandsProc(browserView);

    for (const char *menu : { "mnuGo", "mnuFile", "mnuCopy" })
        QCOMPARE(window().menuItem(menu)->isEnabled(), browserView);
    for (const char *key : { "tbrBack", "tbrForward", "tbrStop", "tbrHome", "tbrRefresh",
                             "tbrSearch", "tbrFavoritesList", "tbrPrintDesktop", "tbrCapDesktop" })
        QCOMPARE(window().Buttons(key)->isEnabled(), browserView);
    for (const char *item : { "mnuLinksPrintHTMLdoc", "mnuLinksSaveHTMLdoc" })
        QCOMPARE(window().menuItem(item)->isEnabled(), !browserView);
    for (const char *key : { "tbrPrintHTMLDoc", "tbrSaveHTMLDoc" })
        QCOMPARE(window().Buttons(key)->isEnabled(), !browserView);
    for (int i = 0; i < untouchedButtons.size(); ++i)
        QCOMPARE(window().Buttons(untouchedButtons.at(i))->isEnabled(), i % 2 == 0);
    for (int i = 0; i < untouchedMenus.size(); ++i)
        QCOMPARE(window().menuItem(untouchedMenus.at(i))->isEnabled(), i % 2 == 1);
    QCOMPARE(m_fixture->test.pointer->history,
             (QList<int> { ScreenPointer::Hourglass, ScreenPointer::Default }));

    // A disabled menu cannot be chosen: its items are out of reach.
    if (!browserView) {
        QVERIFY(!window().menuItem("mnuGo")->menu()->menuAction()->isEnabled());
        window().mnuGoExit_Click(); // code may still call it
    }
}

void tst_Navigation::enterInEmptyBox()
{
    // A location already listed: the accepted text is offered to the recent list.
    browser().complete("http://example.test/", "Example");
    browser().complete("http://example.test/", "Example");
    browser().focusCount = 0;
    m_fixture->cboLinksList()->addItem("http://example.test/link");
    m_fixture->test.pointer->history.clear();

    m_fixture->typeAndEnter(QString());

    QCOMPARE(browser().calls, QStringList());
    QVERIFY(!m_fixture->timer1()->isActive());
    QCOMPARE(m_fixture->cboLinksList()->count(), 0);
    QCOMPARE(itemTexts(m_fixture->cboAddress()), QStringList { "http://example.test/" });
    QCOMPARE(m_fixture->test.pointer->history,
             (QList<int> { ScreenPointer::Hourglass, ScreenPointer::Default }));
    // The empty text is offered to the recent list, which stores nothing.
    QCOMPARE(m_fixture->test.settings->saveCount(), 0);
    QCOMPARE(browser().focusCount, 1);
}

void tst_Navigation::addressOfSpacesHandedOverUnchanged()
{
    m_fixture->typeAndEnter("   ");
    QCOMPARE(browser().calls, QStringList { "Navigate:   " });
    QVERIFY(m_fixture->timer1()->isActive());
    QCOMPARE(m_fixture->tbrProgress()->value(), 0);
}

void tst_Navigation::typedAddressNavigatesOnceOnEnter()
{
    // An entry that matches the typed text in all but case must not be chosen instead.
    browser().complete("http://EXAMPLE.test/", "Upper");
    browser().calls.clear();
    const int focused = browser().focusCount;
    m_fixture->typeAndEnter("http://example.test/");
    QCOMPARE(browser().calls, QStringList { "Navigate:http://example.test/" });
    QCOMPARE(m_fixture->cboAddress()->currentText(), QStringLiteral("http://example.test/"));
    // The keys go to the page, whether the address was new or not.
    QCOMPARE(browser().focusCount, focused + 1);

    // Enter is not swallowed: the box still sees the key.
    QSignalSpy returnPressed(m_fixture->cboAddress()->lineEdit(), &QLineEdit::returnPressed);
    QTest::keyClick(m_fixture->cboAddress(), Qt::Key_Enter);
    QVERIFY(returnPressed.size() > 0);
}

void tst_Navigation::otherKeysDoNotNavigate()
{
    QComboBox *box = m_fixture->cboAddress();
    box->setFocus();
    QTest::keyClicks(box, "example.test");
    QTest::keyClick(box, Qt::Key_Escape);
    QTest::keyClick(box, Qt::Key_Tab);
    QApplication::processEvents();
    QCOMPARE(browser().calls, QStringList());
}

void tst_Navigation::choosingAnEntryNavigates()
{
    browser().complete("http://one.test/", "One");
    browser().complete("http://two.test/", "Two");
    browser().calls.clear();
    QCOMPARE(m_fixture->cboAddress()->currentIndex(), 0);

    // The keys and the wheel that move through the list leave the box as it is: only Enter
    // and a choice from the opened list go.
    QComboBox *box = m_fixture->cboAddress();
    box->setFocus();
    for (const Qt::Key key : { Qt::Key_Down, Qt::Key_PageDown, Qt::Key_Up, Qt::Key_PageUp })
        QTest::keyClick(box, key);
    QWheelEvent wheel(QPointF(5, 5), box->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, -120),
                      Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(box, &wheel);
    QApplication::processEvents();
    QCOMPARE(browser().calls, QStringList());
    QCOMPARE(box->currentText(), QStringLiteral("http://two.test/"));

    m_fixture->cboAddress()->setCurrentIndex(0);
    Q_EMIT m_fixture->cboAddress()->activated(0);
    QCOMPARE(browser().calls, QStringList { "Navigate:http://two.test/" });
}

void tst_Navigation::startPageLeavesTheBoxEmpty()
{
    QComboBox *box = m_fixture->cboAddress();
    browser().complete("http://a.test/", "A");
    m_fixture->window().setFocus();
    browser().complete(FakeWebBrowserControl::homeUrl, "Start");
    QCOMPARE(box->currentText(), QString());
    QCOMPARE(itemTexts(box), QStringList { "http://a.test/" });
    QVERIFY(box->hasFocus());
    // Back from it shows the page's address again.
    browser().complete("http://a.test/", "A");
    QCOMPARE(box->currentText(), QStringLiteral("http://a.test/"));
}

void tst_Navigation::addingToFavoritesIsTold_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("told");
    QTest::addColumn<QStringList>("kept");
    QTest::newRow("a web page") << "http://a.test/"
                                << "Added to favorites" << QStringList { "http://a.test/" };
    QTest::newRow("the start page") << FakeWebBrowserControl::homeUrl
                                    << "The start page is not added to favorites" << QStringList();
}

void tst_Navigation::addingToFavoritesIsTold()
{
    QFETCH(QString, page);
    QFETCH(QString, told);
    QFETCH(QStringList, kept);
    browser().complete(page, "Page");
    QTest::keySequence(m_fixture->frame.get(), QKeySequence(QStringLiteral("Ctrl+D")));
    QCOMPARE(m_fixture->frame->Panel1->text(), told);
    QCOMPARE(itemTexts(m_fixture->cboFavoritesList()), kept);
}

void tst_Navigation::completedNavigationsKeepTheList()
{
    QComboBox *box = m_fixture->cboAddress();
    browser().complete("http://a.test/", "A");
    QCOMPARE(box->count(), 1);
    QCOMPARE(box->currentText(), QStringLiteral("http://a.test/"));
    QVERIFY(window().lastURLWasNew());
    QCOMPARE(window().windowTitle(), QStringLiteral("A"));

    browser().complete("http://b.test/", "B");
    browser().complete("http://c.test/", "C");
    browser().complete("http://A.test/", "A in capitals");
    QCOMPARE(box->count(), 4);
    QVERIFY(window().lastURLWasNew());

    // The third entry moves to the top; the others keep their order.
    browser().complete("http://b.test/", "B again");
    QCOMPARE(
        itemTexts(box),
        (QStringList { "http://b.test/", "http://A.test/", "http://c.test/", "http://a.test/" }));
    QVERIFY(!window().lastURLWasNew());
    QCOMPARE(box->currentIndex(), 0);
    QCOMPARE(window().windowTitle(), QStringLiteral("B again"));
    QVERIFY(!window().addressListUpdating());
}

void tst_Navigation::addressListUpdate_data()
{
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<bool>("locationReadable");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<bool>("wasNew");

    const QString x = "http://x.test/";
    QTest::newRow("last of three moves up")
        << QStringList { "a", "b", x } << true << QStringList { x, "a", "b" } << false;
    // Entries the box got by other means than a navigation may repeat.
    QTest::newRow("first of two equal ones goes")
        << QStringList { "a", x, "b", x } << true << QStringList { x, "a", "b", x } << false;
    QTest::newRow("other letter case is another address")
        << QStringList { "HTTP://X.TEST/", "a" } << true << QStringList { x, "HTTP://X.TEST/", "a" }
        << true;
    QTest::newRow("a prefix is not the address")
        << QStringList { "http://x.test", "http://x.test/a" } << true
        << QStringList { x, "http://x.test", "http://x.test/a" } << true;
    QTest::newRow("empty list") << QStringList {} << true << QStringList { x } << true;
    // The first comparison fails, so the first entry counts as the match; nothing can be
    // inserted in its place.
    QTest::newRow("unreadable location removes the first entry")
        << QStringList { "a", "b" } << false << QStringList { "b" } << false;
    QTest::newRow("unreadable location, empty list")
        << QStringList {} << false << QStringList {} << true;
}

void tst_Navigation::addressListUpdate()
{
    QFETCH(QStringList, listed);
    QFETCH(bool, locationReadable);
    QFETCH(QStringList, after);
    QFETCH(bool, wasNew);

    // Start from the opposite flag, so that the handler has to set it.
    browser().complete("http://y.test/", "Y");
    if (wasNew)
        browser().complete("http://y.test/", "Y");
    QCOMPARE(window().lastURLWasNew(), !wasNew);
    QComboBox *box = m_fixture->cboAddress();
    box->clear();
    box->addItems(listed);
    browser().locationURL = "http://x.test/";
    browser().failLocationURL = !locationReadable;
    browser().calls.clear();

    window().ctlWebBrowser_NavigateComplete2(QStringLiteral("ignored"));

    QCOMPARE(itemTexts(box), after);
    QCOMPARE(window().lastURLWasNew(), wasNew);
    QCOMPARE(box->currentIndex(), after.isEmpty() ? -1 : 0);
    QVERIFY(!window().addressListUpdating());
    QCOMPARE(browser().calls, QStringList());
}

void tst_Navigation::reentrantClickDoesNothing()
{
    // The second completion finds the location listed, so a Click that got through would
    // also write the address.
    browser().complete("http://a.test/", "A");
    browser().complete("http://a.test/", "A");
    // Setting the selection raised the box's Click twice; neither navigated nor wrote.
    QCOMPARE(browser().calls, QStringList());
    QCOMPARE(m_fixture->test.settings->saveCount(), 0);
}

void tst_Navigation::recentAddressWrittenOnlyAfterKnownLocation()
{
    // After the home page the flag is True: the next address is not stored.
    browser().complete("about:home", "Home");
    QVERIFY(window().lastURLWasNew());
    m_fixture->typeAndEnter("http://first.test/");
    QCOMPARE(m_fixture->test.settings->GetSetting("ZivaruruviVO", "URL History", "URLHistory1"),
             QString());
    QVERIFY(!window().menuItem("mnuURLHistory(0)")->isVisible());

    // A location already listed sets it False: the next accepted address is stored.
    browser().complete("about:home", "Home");
    QVERIFY(!window().lastURLWasNew());
    m_fixture->typeAndEnter("http://second.test/");
    QCOMPARE(m_fixture->test.settings->GetSetting("ZivaruruviVO", "URL History", "URLHistory1"),
             QStringLiteral("http://second.test/"));
    QVERIFY(window().menuItem("mnuURLHistory(0)")->isVisible());
    QVERIFY(browser().focusCount > 0);
}

void tst_Navigation::timerTicks()
{
    browser().busy = true;
    browser().locationName = "Title";
    m_fixture->tbrProgress()->setValue(90);
    window().timer1_Timer();
    QCOMPARE(window().windowTitle(), QStringLiteral("Processing..."));
    QCOMPARE(m_fixture->tbrProgress()->value(), 90);

    browser().busy = false;
    m_fixture->timer1()->start();
    QTRY_COMPARE_WITH_TIMEOUT(window().windowTitle(), QStringLiteral("Title"), 2000);
    QCOMPARE(m_fixture->tbrProgress()->value(), 0);
    // The tick itself never stops the timer.
    QVERIFY(m_fixture->timer1()->isActive());
}

void tst_Navigation::pointerNeverStaysBusyAfterCompletedHandlers()
{
    m_fixture->typeAndEnter("http://example.test/");
    window().mnuGoHome_Click();
    window().EnableCommandsProc(true);
    m_fixture->typeAndEnter(QString());
    QVERIFY(m_fixture->test.pointer->history.contains(ScreenPointer::Hourglass));
    QCOMPARE(m_fixture->test.pointer->mousePointer(), ScreenPointer::Default);
}

void tst_Navigation::returnToBrowserView()
{
    browser().hasDocument = true;
    browser().bodyInnerHTML = "<p>body</p>";
    window().mnuLinksDisplayCurrHTMLDoc_Click();
    QVERIFY(m_fixture->control("ctlWebBrowser")->isHidden());
    QVERIFY(!window().menuItem("mnuGo")->isEnabled());
    QCOMPARE(m_fixture->Text1().Text(), QStringLiteral("<p>body</p>"));

    // A navigation from the address box returns to the browser view first.
    m_fixture->typeAndEnter("http://example.test/");
    QVERIFY(!m_fixture->control("ctlWebBrowser")->isHidden());
    QVERIFY(m_fixture->Text1().widget()->isHidden());
    QCOMPARE(m_fixture->Text1().Text(), QString());
    QVERIFY(window().menuItem("mnuGo")->isEnabled());

    // Back in the browser view, a click on the picture changes nothing visible.
    m_fixture->Text1().setText("kept");
    QTest::mouseClick(m_fixture->control<PictureBox>("picAnimation"), Qt::LeftButton);
    QVERIFY(!m_fixture->control("ctlWebBrowser")->isHidden());
    QCOMPARE(m_fixture->Text1().Text(), QStringLiteral("kept"));
    QVERIFY(window().menuItem("mnuGo")->isEnabled());
}

void tst_Navigation::linkListAndFetch()
{
    QStringList links;
    for (int i = 0; i < 250; ++i)
        links.append(QStringLiteral("http://example.test/%1").arg(i));
    browser().hasDocument = true;
    browser().links = links;

    // No address yet: nothing is listed.
    m_fixture->cboAddress()->setEditText(QString());
    window().mnuLinksListLinks_Click();
    QCOMPARE(m_fixture->test.messages->prompts, QStringList { "No URL/address yet" });
    QCOMPARE(m_fixture->cboLinksList()->count(), 0);

    m_fixture->cboAddress()->setEditText("http://example.test/");
    window().mnuLinksListLinks_Click();
    QCOMPARE(m_fixture->cboLinksList()->count(), 101);
    QCOMPARE(m_fixture->cboLinksList()->itemText(100), links.at(100));
    QCOMPARE(m_fixture->cboLinksList()->currentText(), links.first());

    // A fetch shows the linked document's text in the source view; the page stays.
    auto *transfer = static_cast<FakeInternetTransfer *>(&m_fixture->ctlInet());
    transfer->document = "<html>linked</html>";
    m_fixture->cboLinksList()->setEditText("http://example.test/typed");
    window().mnuLinksDisplayLinkHTMLDoc_Click();
    QCOMPARE(transfer->requested, QStringList { "http://example.test/typed" });
    QCOMPARE(m_fixture->Text1().Text(), QStringLiteral("<html>linked</html>"));
    QVERIFY(m_fixture->control("ctlWebBrowser")->isHidden());
    QVERIFY(window().menuItem("mnuLinksSaveHTMLdoc")->isEnabled());

    // A fetch that fails opens an empty source view without a word.
    transfer->fail = true;
    window().mnuLinksDisplayLinkHTMLDoc_Click();
    QCOMPARE(m_fixture->Text1().Text(), QString());
    QCOMPARE(m_fixture->test.messages->prompts.size(), 1);
    QCOMPARE(m_fixture->test.pointer->mousePointer(), ScreenPointer::Default);

    // Listing links brings the page back but keeps the text and the source-view commands.
    m_fixture->Text1().setText("kept");
    browser().links.clear();
    window().mnuLinksListLinks_Click();
    QCOMPARE(m_fixture->test.messages->prompts.last(),
             QStringLiteral("No links listed, try a different level or a different URL"));
    QVERIFY(!m_fixture->control("ctlWebBrowser")->isHidden());
    QCOMPARE(m_fixture->Text1().Text(), QStringLiteral("kept"));
    QVERIFY(!window().menuItem("mnuGo")->isEnabled());
}

KESTRAV_TEST_MAIN(tst_Navigation)
#include "tst_navigation.moc"
