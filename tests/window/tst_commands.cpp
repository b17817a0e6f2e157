#include "windowfixture.h"

#include <QSet>
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
    void everyCommandRunsItsHandler_data();
    void everyCommandRunsItsHandler();

private:
    // What the window and the doubles show of the command that just ran, in a fixed order.
    QStringList effects(const WindowFixture &fixture, bool wasSourceView) const;
};

void tst_Commands::tableHolds()
{
    QSet<QString> names;
    QSet<QString> keys;
    QSet<QString> menus;
    for (const Command &command : frmWebBrowser::commands()) {
        const QString name = QString::fromLatin1(command.name);
        QVERIFY2(!names.contains(name), command.name);
        names.insert(name);
        if (command.kind == Kind::Menu)
            menus.insert(name);
        if (command.kind == Kind::Item || command.kind == Kind::CheckItem
            || command.kind == Kind::Separator)
            QVERIFY2(menus.contains(QString::fromLatin1(command.menu)), command.name);
        const bool chosen = command.kind == Kind::Item || command.kind == Kind::CheckItem
            || command.kind == Kind::WindowAction;
        if (chosen)
            QVERIFY2(command.handler, command.name);
        QCOMPARE(command.kind == Kind::WindowAction, command.shortcut != nullptr);
        // The dispatcher compares keys in upper case: two keys equal but for case would
        // leave the second button unreachable.
        if (command.key) {
            const QString key = QString::fromLatin1(command.key).toUpper();
            QVERIFY2(!keys.contains(key), command.key);
            keys.insert(key);
        }
    }
    for (const Command &command : frmWebBrowser::commands()) {
        // A command routed through the toolbar has a button to pass.
        if (command.route != Commands::Route::Direct && !command.key) {
            bool found = false;
            for (const Command &other : frmWebBrowser::commands())
                found = found || (other.key && other.handler == command.handler);
            QVERIFY2(found, command.name);
        }
    }
    QCOMPARE(keys.size(), 18);
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

    const QString printed = fixture.sandbox.programFolder() + u"/printed.pdf"_s;
    if (QFile::exists(printed))
        seen.append(u"printed: "_s + pdfWords(printed));
    const QString saved = fixture.test.dialog->path;
    if (QFile::exists(saved))
        seen.append(u"saved: "_s + QString::fromLatin1(readAll(saved)));

    if (closed)
        return seen << u"window closed"_s;
    if (fixture.control<QFrame>("picLinksListContainer")->isHidden())
        seen.append(u"favorites shown"_s);
    const bool sourceView = fixture.control("ctlWebBrowser")->isHidden();
    if (sourceView != wasSourceView)
        seen.append(sourceView ? u"source view"_s : u"browser view"_s);
    if (fixture.WebToolbar()->isHidden())
        seen.append(u"toolbar hidden"_s);
    if (fixture.frame->StatusBar1->isHidden())
        seen.append(u"status bar hidden"_s);
    return seen;
}

KESTRAV_TEST_MAIN(tst_Commands)
#include "tst_commands.moc"
