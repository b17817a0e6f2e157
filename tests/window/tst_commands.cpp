#include "platform/api/screenpointer.h"
#include "windowfixture.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QMenuBar>
#include <QSet>
#include <QStandardPaths>
#include <QStatusBar>

using namespace Qt::StringLiterals;
using Commands::Command;
using Commands::Kind;

// Every command reached as the user reaches it, each checked by what its handler did: a
// binding swapped in the command table shows as another handler's work.
class tst_Commands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tableHolds();
    void pageMenuKeepsItsOrder();
    void everyCommandRunsItsHandler_data();
    void everyCommandRunsItsHandler();
    void failuresShowTheSameWayFromEveryControl_data();
    void failuresShowTheSameWayFromEveryControl();
    void saveDialogsStartWhereTheirKindLastSaved();
    void fullScreenShowsOnlyThePage_data();
    void fullScreenShowsOnlyThePage();
    void pageSourceOpensInAWindowOfItsOwn();
    void keysReachTheirHandlers_data();
    void keysReachTheirHandlers();
    void findInTheSourceView();
    void escapeFromAMenuGivesTheKeyboardBack();
    void escapeLeavesTheReaderViewFirst();

private:
    // A started window on a page, in the source view if asked.
    void start(WindowFixture &fixture, bool sourceView) const;
    // What the window and the doubles show of the command that just ran, in a fixed order.
    QStringList effects(const WindowFixture &fixture, bool wasSourceView) const;
};

void tst_Commands::tableHolds()
{
    QSet<QString> names;
    QSet<QString> keys;
    QSet<QString> menus;
    QSet<QString> sequences;
    WindowFixture fixture;
    fixture.start();
    for (const Command &command : fixture.window().commands()) {
        // The units declare their keys apart: none may take a key another row has.
        for (const QString &sequence :
             QString::fromLatin1(command.shortcut ? command.shortcut : "").split(u"; "_s)) {
            const QString portable = QKeySequence(sequence).toString(QKeySequence::PortableText);
            QVERIFY2(portable.isEmpty() || !sequences.contains(portable), command.name);
            sequences.insert(portable);
        }
        const QString name = QString::fromLatin1(command.name);
        QVERIFY2(!names.contains(name), command.name);
        names.insert(name);
        if (command.kind == Kind::Menu)
            menus.insert(name);
        if (command.kind == Kind::Item || command.kind == Kind::CheckItem
            || command.kind == Kind::Separator)
            QVERIFY2(menus.contains(QString::fromLatin1(command.menu)), command.name);
        const bool chosen = command.kind == Kind::Item || command.kind == Kind::CheckItem
            || command.kind == Kind::WindowAction || command.kind == Kind::PanelButton;
        if (chosen)
            QVERIFY2(command.handler, command.name);
        if (command.kind == Kind::ItemArray)
            QVERIFY2(command.indexedHandler && command.count > 0, command.name);
        // A window action is reached by its keys alone; only items may have keys besides.
        if (command.kind == Kind::WindowAction)
            QVERIFY2(command.shortcut, command.name);
        else if (command.shortcut)
            QVERIFY2(command.kind == Kind::Item, command.name);
        // A command routed through the toolbar has its own button to pass.
        if (command.route != Commands::Route::Direct)
            QVERIFY2(command.key, command.name);
        // The dispatcher compares keys in upper case: two keys equal but for case would
        // leave the second button unreachable.
        if (command.key) {
            const QString key = QString::fromLatin1(command.key).toUpper();
            QVERIFY2(!keys.contains(key), command.key);
            keys.insert(key);
        }
    }
    QCOMPARE(keys.size(), 18);
}

void tst_Commands::pageMenuKeepsItsOrder()
{
    WindowFixture fixture;
    fixture.start();
    QStringList entries;
    for (const QAction *action : fixture.browser().fakeTools.menuActions)
        entries.append(action->objectName());
    QCOMPARE(entries,
             QStringList({ u"actReaderView"_s, u"actFind"_s, u"actPrintPage"_s, u"actAllowAds"_s,
                           u"actBlocking"_s, u"actHideElement"_s, u"actSavedSignIns"_s,
                           u"actImportExport"_s, u"actInspect"_s }));
    // The engine's own items show the keys of the rows that do the same.
    using Item = PageTools::MenuItem;
    const QHash<Item, QString> keys = { { Item::Back, u"Alt+Left"_s },
                                        { Item::Forward, u"Alt+Right"_s },
                                        { Item::Reload, u"F5"_s },
                                        { Item::SavePage, u"Ctrl+S"_s },
                                        { Item::ViewSource, u"Ctrl+Alt+U"_s } };
    QCOMPARE(fixture.browser().fakeTools.menuKeys, keys);
}

void tst_Commands::everyCommandRunsItsHandler_data()
{
    QTest::addColumn<QString>("control"); // a menu item's name or a button's key
    QTest::addColumn<bool>("sourceView");
    QTest::addColumn<QStringList>("effects");

    const auto both
        = [](const char *item, const char *key, bool sourceView, const QStringList &effects) {
              QTest::newRow(item) << QString::fromLatin1(item) << sourceView << effects;
              QTest::newRow(key) << QString::fromLatin1(key) << sourceView << effects;
          };
    both("mnuGoBack", "tbrBack", false, { "GoBack" });
    both("mnuGoForward", "tbrForward", false, { "GoForward" });
    both("mnuGoStop", "tbrStop", false, { "Stop" });
    both("mnuGoRefresh", "tbrRefresh", false, { "Refresh" });
    both("mnuGoHome", "tbrHome", false, { "GoHome" });
    both("mnuFileSearch", "tbrSearch", false, { "GoSearch" });
    both("mnuFileFavoritesList", "tbrFavoritesList", false, { "favorites shown" });
    both("mnuCopyPrintDesktop", "tbrPrintDesktop", false, { "printer dialog", "printed: " });
    both("mnuCopyCapDeskTop", "tbrCapDesktop", false, { "save dialog", "SavePicture" });
    both("mnuMailInbox", "tbrInbox", false, { "Display(6)" });
    both("mnuMailOutbox", "tbrOutbox", false, { "Display(4)" });
    both("mnuMailContacts", "tbrContacts", false, { "Display(10)" });
    both("mnuLinksDisplayCurrHTMLDoc", "tbrDisplayCurrHTMLDoc", false,
         { "Document.Body.innerHTML", "source view" });
    both("mnuLinksListLinks", "tbrListLinks", false, { "Document.Links" });
    both("mnuLinksDisplayLinkHTMLDoc", "tbrDisplayLinkHTMLDoc", false,
         { "OpenURL http://linked.test/", "source view" });
    both("mnuLinksPrintHTMLdoc", "tbrPrintHTMLDoc", true,
         { "printer dialog", "printed: <p>source</p> 1" });
    both("mnuLinksSaveHTMLdoc", "tbrSaveHTMLDoc", true, { "save dialog", "saved: <p>source</p>" });
    both("mnuLinksRestoreWebBrowser", "tbrRestoreWebBrowser", true, { "browser view" });
    QTest::newRow("mnuGoExit") << u"mnuGoExit"_s << false << QStringList { "window closed" };
    QTest::newRow("mnuOptionsToolbar")
        << u"mnuOptionsToolbar"_s << false << QStringList { "toolbar hidden" };
    QTest::newRow("mnuOptionsStatusbar")
        << u"mnuOptionsStatusbar"_s << false << QStringList { "status bar hidden" };
    QTest::newRow("mnuCopySaveDesktopFromClip") << u"mnuCopySaveDesktopFromClip"_s << false
                                                << QStringList { "No picture in clipboard yet" };
    QTest::newRow("mnuCopySaveTextFromClip")
        << u"mnuCopySaveTextFromClip"_s << false << QStringList { "ExecWB:4,2,Page.txt" };
}

void tst_Commands::everyCommandRunsItsHandler()
{
    QFETCH(QString, control);
    QFETCH(bool, sourceView);
    QFETCH(QStringList, effects);

    WindowFixture fixture;
    start(fixture, sourceView);
    if (control.startsWith(u"tbr")) {
        fixture.clickButton(control);
    } else {
        // The menu opens before its item is chosen.
        QAction *item = fixture.window().menuItem(control);
        Q_EMIT qobject_cast<QMenu *>(item->parent())->aboutToShow();
        item->trigger();
    }
    QApplication::processEvents();

    QCOMPARE(this->effects(fixture, sourceView), effects);
}

void tst_Commands::failuresShowTheSameWayFromEveryControl_data()
{
    // The failure, and how the command meets it: the error box under the name of the handler
    // that the control reached, or nothing visible.
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QStringList>("controls"); // menu items, button keys and keys
    QTest::addColumn<QStringList>("boxes"); // the error box's first line, per control
    QTest::newRow("links of a page that has none to give")
        << u"no document"_s << QStringList { "mnuLinksListLinks", "tbrListLinks" }
        << QStringList { "mnuLinksListLinks_Click", "WebToolbar_ButtonClick" };
    QTest::newRow("a picture that cannot be written")
        << u"picture"_s << QStringList { "mnuCopyCapDeskTop", "tbrCapDesktop" }
        << QStringList { "mnuCopyCapDeskTop_Click", "mnuCopyCapDeskTop_Click" };
    QTest::newRow("the source of a page that has none: an empty view")
        << u"no document"_s
        << QStringList { "mnuLinksDisplayCurrHTMLDoc", "tbrDisplayCurrHTMLDoc", "Ctrl+U" }
        << QStringList { "", "", "" };
    QTest::newRow("back with no page before: nothing")
        << u"none"_s << QStringList { "mnuGoBack", "tbrBack", "Alt+Left" }
        << QStringList { "", "", "" };
}

void tst_Commands::failuresShowTheSameWayFromEveryControl()
{
    QFETCH(QString, failure);
    QFETCH(QStringList, controls);
    QFETCH(QStringList, boxes);
    for (qsizetype i = 0; i < controls.size(); ++i) {
        const QString &control = controls.at(i);
        WindowFixture fixture;
        start(fixture, false);
        if (failure == u"no document")
            fixture.browser().hasDocument = false;
        else if (failure == u"picture")
            fixture.test.pictures->failure = std::pair { 75, u"Path/File access error"_s };
        if (control.startsWith(u"tbr"))
            fixture.clickButton(control);
        else if (control.startsWith(u"mnu"))
            fixture.chooseItem(control);
        else
            QTest::keySequence(fixture.frame.get(), QKeySequence(control));
        QApplication::processEvents();
        const QStringList prompts = fixture.test.messages->prompts;
        QCOMPARE(prompts.isEmpty() ? QString() : prompts.constFirst().section(u"\r\n"_s, 0, 0),
                 boxes.at(i));
        QCOMPARE(fixture.test.pointer->mousePointer(), ScreenPointer::Default);
    }
}

void tst_Commands::saveDialogsStartWhereTheirKindLastSaved()
{
    WindowFixture fixture;
    start(fixture, true); // the source view, where its text can be saved
    ScriptedCommonDialog &dialog = *fixture.test.dialog;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QVERIFY(QDir().mkpath(documents));
    const QString htmlFolder = fixture.sandbox.programFolder() + u"/html"_s;
    QVERIFY(QDir().mkpath(htmlFolder));
    dialog.path = htmlFolder + u"/text.txt"_s;
    const auto save = [&](const char *command) {
        fixture.chooseItem(QString::fromLatin1(command));
        return dialog.shown.last();
    };

    // Nothing saved yet: the Documents folder, and no name offered.
    ScriptedCommonDialog::Shown shown = save("mnuLinksSaveHTMLdoc");
    QCOMPARE(shown.initDir, documents);
    QCOMPARE(shown.fileName, QString());
    QCOMPARE(save("mnuLinksSaveHTMLdoc").initDir, htmlFolder);
    // Another kind of file keeps its own folder; the page is offered under its title.
    fixture.chooseItem(u"mnuLinksRestoreWebBrowser"_s);
    dialog.cancel = true;
    shown = save("actSavePage");
    QCOMPARE(shown.initDir, documents);
    QCOMPARE(shown.fileName, u"Page.html"_s);
    QVERIFY(shown.filter.contains(u"*.mhtml"_s));
    QVERIFY(!fixture.browser().calls.join(u' ').contains(u"SavePage"_s));
    QCOMPARE(dialog.CancelError, false); // left as it was for the other commands
    // The next window of the program starts there too: the folder is in the settings store.
    QCOMPARE(
        fixture.test.settings->GetSetting(u"ZivaruruviVO"_s, u"Save folders"_s, u"HTML text"_s),
        htmlFolder);
}

void tst_Commands::fullScreenShowsOnlyThePage_data()
{
    QTest::addColumn<QString>("leaveWith");
    QTest::addColumn<bool>("statusBarShown"); // as the user left it before
    QTest::newRow("F11 again") << u"F11"_s << true;
    QTest::newRow("Esc") << u"Esc"_s << true;
    QTest::newRow("status bar hidden before") << u"F11"_s << false;
}

void tst_Commands::fullScreenShowsOnlyThePage()
{
    QFETCH(QString, leaveWith);
    QFETCH(bool, statusBarShown);
    WindowFixture fixture;
    start(fixture, false);
    fixture.frame->StatusBar1->setVisible(statusBarShown);
    QApplication::setActiveWindow(fixture.frame.get());
    QWidget *page = fixture.control("ctlWebBrowser");
    const QRect designed = page->geometry();
    const QStringList strips { "WebToolbar", "picAddressContainer", "picFavouritesListContainer" };

    QTest::keySequence(fixture.frame.get(), QKeySequence(u"F11"_s));
    QVERIFY(fixture.frame->isFullScreen());
    QVERIFY(fixture.frame->menuBar()->isHidden());
    QVERIFY(fixture.frame->StatusBar1->isHidden());
    for (const QString &strip : strips)
        QVERIFY2(fixture.control(strip)->isHidden(), qPrintable(strip));
    QCOMPARE(page->geometry(), fixture.window().rect());
    // Nothing of the browser window's own frame either: the page starts at the screen's corner.
    QTRY_COMPARE(page->mapTo(fixture.frame.get(), QPoint()), QPoint());
    QTRY_COMPARE(page->size(), fixture.frame->size());

    QTest::keySequence(fixture.frame.get(), QKeySequence(leaveWith));
    QVERIFY(!fixture.frame->isFullScreen());
    QVERIFY(!fixture.frame->menuBar()->isHidden());
    QCOMPARE(fixture.frame->StatusBar1->isHidden(), !statusBarShown);
    for (const QString &strip : strips)
        QVERIFY2(!fixture.control(strip)->isHidden(), qPrintable(strip));
    QCOMPARE(page->geometry(), designed);
}

void tst_Commands::pageSourceOpensInAWindowOfItsOwn()
{
    WindowFixture fixture;
    start(fixture, false);
    FakeWebBrowserControl &page = fixture.browser();
    for (const QString &url : { u"http://page.test/"_s, u"http://other.test/"_s }) {
        Q_EMIT page.tools().ViewSourceRequested(url);
        QVERIFY(fixture.test.sourceBrowser);
        QCOMPARE(fixture.test.sourceBrowser->calls.last(), u"Navigate:view-source:"_s + url);
    }
    // One window, reused; the page and its place in history are untouched.
    const QWidgetList windows = QApplication::topLevelWidgets();
    QCOMPARE(std::count_if(windows.begin(), windows.end(),
                           [](QWidget *w) { return w->objectName() == u"sourceWindow"; }),
             1);
    QCOMPARE(page.calls, QStringList());
    QCOMPARE(page.LocationURL(), u"http://page.test/"_s);

    // Find works in it, on its own page.
    QWidget *source = fixture.test.sourceBrowser->widget()->window();
    QApplication::setActiveWindow(source);
    QTest::keySequence(source, QKeySequence(u"Ctrl+F"_s));
    auto *field = source->findChild<QLineEdit *>(u"findText"_s);
    QVERIFY(field && field->isVisible());
    QTest::keyClicks(field, u"x"_s);
    QCOMPARE(fixture.test.sourceBrowser->calls.last(), u"FindText:x,0,0"_s);
    QVERIFY(!fixture.control("findBar")->isVisible());

    fixture.frame.reset(); // the source goes with the browser window
    QVERIFY(!fixture.test.sourceBrowser);
}

void tst_Commands::keysReachTheirHandlers_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<bool>("sourceView");
    QTest::addColumn<QStringList>("effects");
    const auto row = [](const char *keys, bool sourceView, const QStringList &effects) {
        QTest::addRow("%s%s", keys, sourceView ? " in the source view" : "")
            << QString::fromLatin1(keys) << sourceView << effects;
    };
    for (const char *keys : { "Ctrl+L", "Alt+D" })
        row(keys, false, { "address box" });
    row("F5", false, { "Refresh" });
    row("Ctrl+R", false, { "Refresh" });
    row("Alt+Left", false, { "GoBack" });
    row("Alt+Right", false, { "GoForward" });
    row("Alt+Home", false, { "GoHome" });
    row("Ctrl+U", false, { "Document.Body.innerHTML", "source view" });
    row("F11", false, { "full screen", "toolbar hidden", "status bar hidden" });
    row("Ctrl+F", false, { "find bar" });
    row("Ctrl++", false, { "SetZoomFactor:1.1", "Zoom 110 %" });
    row("Ctrl+-", false, { "SetZoomFactor:0.9", "Zoom 90 %" });
    row("Ctrl+0", false, { "SetZoomFactor:1" });
    row("Ctrl+P", false,
        { "SetPrintPreviewOpen:1", "PrintPage", "SetPrintPreviewOpen:0", "preview dialog",
          "printed: <p>source</p> 1" });
    row("F12", false, { "ShowInspector" });
    row("Ctrl+Shift+I", false, { "ShowInspector" });
    row("Ctrl+Q", false, { "program ended" });
    row("Ctrl+W", false, { "window closed" });
    row("Ctrl+W", true, { "window closed" });
    row("Ctrl+D", false, { "Added to favorites", "favorites: http://page.test/" });
    row("Ctrl+S", false, { "SavePage:saved.txt,0", "save dialog" });
    row("Esc", false, {}); // nothing to stop: the key is left to the page
    row("F9", false, { "ToggleReaderView" });
    row("Ctrl+Alt+R", false, { "ToggleReaderView" });
    row("Ctrl+Shift+D", false, { "Dark pages on from the next start" });
    row("Ctrl+Shift+D", true, { "Dark pages on from the next start" });
    // The browser view's commands do nothing in the source view.
    for (const char *keys : { "F5", "Ctrl+R", "Alt+Left", "Alt+Right", "Alt+Home", "Ctrl+P", "F12",
                              "Ctrl+D", "Ctrl+S", "F9" })
        row(keys, true, {});
    row("Ctrl+F", true, { "find bar" });
    row("Ctrl+L", true, { "address box" });
    row("Ctrl+U", true, { "browser view" });
    // A menu opened from the keyboard does not keep the window's keys from the window.
    for (const char *keys : { "Ctrl+L", "F5", "Ctrl+F" }) {
        QTest::addRow("%s with the Go menu open", keys)
            << QString::fromLatin1(keys) << false
            << QStringList { keys[0] == 'F'       ? "Refresh"
                                 : keys[5] == 'L' ? "address box"
                                                  : "find bar" };
    }
}

void tst_Commands::keysReachTheirHandlers()
{
    QFETCH(QString, keys);
    QFETCH(bool, sourceView);
    QFETCH(QStringList, effects);
    WindowFixture fixture;
    start(fixture, sourceView);
    QApplication::setActiveWindow(fixture.frame.get());
    QWidget *target = fixture.frame.get();
    if (QString::fromLatin1(QTest::currentDataTag()).endsWith("menu open")) {
        QTest::keyClick(target, Qt::Key_G, Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget());
        target = QApplication::activePopupWidget(); // it has the keyboard, as on a desktop
    }
    QTest::keySequence(target, QKeySequence(keys));
    QApplication::processEvents();
    // The desktop activates the frame again once its menu has gone; offscreen, the test does.
    QApplication::setActiveWindow(fixture.frame.get());
    QCOMPARE(this->effects(fixture, sourceView), effects);
    QVERIFY(!QApplication::activePopupWidget());
}

void tst_Commands::escapeFromAMenuGivesTheKeyboardBack()
{
    WindowFixture fixture;
    start(fixture, false);
    QApplication::setActiveWindow(fixture.frame.get());
    QComboBox *box = fixture.cboAddress();
    box->setFocus();
    box->clearEditText();
    QTest::keyClick(fixture.frame.get(), Qt::Key_G, Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget());
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    QTRY_VERIFY(!fixture.frame->menuBar()->hasFocus());
    QCOMPARE(fixture.frame->focusWidget(), box);
    // The desktop activates the frame again once its menu has gone; offscreen, the test does.
    QApplication::setActiveWindow(fixture.frame.get());
    QVERIFY(box->hasFocus());
    // Letters are typed, not menu access keys: "g" then "e" would be Go's Exist.
    QTest::keyClicks(QApplication::focusWidget(), u"ge"_s);
    QCOMPARE(box->currentText(), u"ge"_s);
    QVERIFY(fixture.frame->webBrowser());
    QVERIFY(!QApplication::activePopupWidget());
}

void tst_Commands::findInTheSourceView()
{
    WindowFixture fixture;
    start(fixture, true);
    fixture.Text1().setText(u"one Two two\r\nTWO three two"_s);
    QApplication::setActiveWindow(fixture.frame.get());
    QTest::keySequence(fixture.frame.get(), QKeySequence(u"Ctrl+F"_s));
    auto *field = fixture.control<QLineEdit>("findText");
    QLabel *result = fixture.control<QLabel>("findResult");
    QTest::keyClicks(field, u"two"_s);
    QCOMPARE(result->text(), u"1 of 4"_s);
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(result->text(), u"2 of 4"_s);
    QTest::keyClick(field, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClick(field, Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(result->text(), u"4 of 4"_s); // wrapped to the last
    QTest::keySequence(fixture.frame.get(), QKeySequence(u"F3"_s));
    QCOMPARE(result->text(), u"1 of 4"_s); // and back to the first
    fixture.control<QCheckBox>("findMatchCase")->setChecked(true);
    QCOMPARE(result->text(), u"1 of 2"_s);
    field->setText(u"four"_s);
    QCOMPARE(result->text(), u"Not found"_s);

    // Esc closes the bar, and the main area takes the window's foot back.
    const int shortHeight = fixture.control("Text1")->height();
    QTest::keySequence(fixture.frame.get(), QKeySequence(u"Esc"_s));
    QVERIFY(fixture.control("findBar")->isHidden());
    QVERIFY(fixture.control("Text1")->height() > shortHeight);
    QCOMPARE(fixture.control("Text1")->geometry().bottom(), fixture.window().rect().bottom());
}

void tst_Commands::escapeLeavesTheReaderViewFirst()
{
    WindowFixture fixture;
    start(fixture, false);
    FakeWebBrowserControl &browser = fixture.browser();
    QTest::keySequence(fixture.frame.get(), QKeySequence(u"Ctrl+F"_s));
    QVERIFY(fixture.control("findBar")->isVisible());
    browser.fakeReader.shown = true;
    browser.complete(u"kestrav-reader:http://page.test/"_s, u"Page"_s);
    Q_EMIT browser.fakeReader.ReaderMessage(u"Reader view: this page has no article"_s);
    QCOMPARE(fixture.frame->Panel1->text(), u"Reader view: this page has no article"_s);

    browser.calls.clear();
    QTest::keySequence(fixture.frame.get(), QKeySequence(u"Esc"_s));
    QCOMPARE(browser.calls, QStringList { u"LeaveReaderView"_s });
    QVERIFY(fixture.control("findBar")->isVisible());
    QTest::keySequence(fixture.frame.get(), QKeySequence(u"Esc"_s));
    QVERIFY(fixture.control("findBar")->isHidden());
    QCOMPARE(browser.calls.count(u"LeaveReaderView"_s), 1);
}

void tst_Commands::start(WindowFixture &fixture, bool sourceView) const
{
    fixture.test.dialog->path = fixture.sandbox.programFolder() + u"/saved.txt"_s;
    fixture.start();
    FakeWebBrowserControl &browser = fixture.browser();
    browser.bodyInnerHTML = u"<p>source</p>"_s;
    browser.links = QStringList { u"http://linked.test/"_s };
    browser.complete(u"http://page.test/"_s, u"Page"_s);
    fixture.cboLinksList()->addItem(u"http://linked.test/"_s);
    if (sourceView)
        fixture.chooseItem(u"mnuLinksDisplayCurrHTMLDoc"_s);
    browser.calls.clear();
    fixture.ctlInet().requested.clear();
    fixture.browser().focusCount = 0;
}

QStringList tst_Commands::effects(const WindowFixture &fixture, bool wasSourceView) const
{
    // The hosted components go with a closed window.
    const bool closed = !fixture.frame->webBrowser();
    QStringList seen = closed ? QStringList() : fixture.browser().calls;
    for (const QString &url : closed ? QStringList() : fixture.ctlInet().requested)
        seen.append(u"OpenURL "_s + url);
    for (const ScriptedCommonDialog::Shown &dialog : fixture.test.dialog->shown)
        seen.append(dialog.kind + u" dialog"_s);
    for (const QString &call : fixture.test.mail->log->calls) {
        if (call.startsWith(u"Display"))
            seen.append(call);
    }
    for (const QString &step : *fixture.test.journal) {
        if (step.startsWith(u"SavePicture"))
            seen.append(u"SavePicture"_s);
    }
    seen += fixture.test.messages->prompts;
    if (const QString status = fixture.frame->Panel1->text(); !status.isEmpty())
        seen.append(status);

    const QString printed = fixture.sandbox.programFolder() + u"/printed.pdf"_s;
    if (QFile::exists(printed))
        seen.append(u"printed: "_s + pdfWords(printed));
    const QString saved = fixture.test.dialog->path;
    if (QFile::exists(saved))
        seen.append(u"saved: "_s + QString::fromLatin1(readAll(saved)));

    if (fixture.test.app->endCount > 0)
        seen.append(u"program ended"_s);
    if (const QByteArray favorites = readAll(fixture.favoritesPath()); !favorites.isEmpty())
        seen.append(u"favorites: "_s + QString::fromLatin1(favorites.trimmed()));
    if (closed)
        return seen << u"window closed"_s;
    if (fixture.control<QFrame>("picLinksListContainer")->isHidden())
        seen.append(u"favorites shown"_s);
    const bool sourceView = fixture.control("ctlWebBrowser")->isHidden();
    if (sourceView != wasSourceView)
        seen.append(sourceView ? u"source view"_s : u"browser view"_s);
    if (fixture.cboAddress()->hasFocus()
        && fixture.cboAddress()->lineEdit()->selectedText() == fixture.cboAddress()->currentText())
        seen.append(u"address box"_s);
    if (fixture.control("findBar")->isVisible())
        seen.append(u"find bar"_s);
    if (fixture.frame->isFullScreen())
        seen.append(u"full screen"_s);
    if (fixture.WebToolbar()->isHidden())
        seen.append(u"toolbar hidden"_s);
    if (fixture.frame->StatusBar1->isHidden())
        seen.append(u"status bar hidden"_s);
    return seen;
}

KESTRAV_TEST_MAIN(tst_Commands)
#include "tst_commands.moc"
