#include "accessibility/readablecolours.h"
#include "ui/accessibility/browseraccessibility.h"
#include "ui/webbrowserhost.h"
#include "windowfixture.h"

#include <QAccessible>
#include <QLabel>
#include <QStatusBar>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

// What the window needs of a frame, for a window made with features of the test's choice.
class BareHost final : public WebBrowserHost
{
public:
    explicit BareHost(std::shared_ptr<CommonDialog> dialog)
        : m_dialog(std::move(dialog))
    {
    }

    void showWebBrowserWindow(frmWebBrowser *window) override { window->show(); }
    void webBrowserWindowClosing(frmWebBrowser *) override { }
    void closeWebBrowserWindow(frmWebBrowser *window) override { window->close(); }
    void exitProgram() override { }
    QToolBar &frameToolBar() override { return m_toolBar; }
    QStatusBar &frameStatusBar() override { return m_statusBar; }
    void setStatusText(const QString &) override { }
    void setFullScreen(bool) override { }
    CommonDialog &commonDialog() override { return *m_dialog; }

private:
    QToolBar m_toolBar;
    QStatusBar m_statusBar;
    std::shared_ptr<CommonDialog> m_dialog;
};

} // namespace

// The browser window for the keyboard alone and for a screen reader, on doubles: where each
// key leaves the focus, which colours each theme shows and what the reader is told.
class tst_Accessibility : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keysMoveTheFocus_data();
    void keysMoveTheFocus();
    void themesKeepTextReadable_data();
    void themesKeepTextReadable();
    void messagesReachTheReader();
    void panesWithoutTheFindBar();

private:
    void start(WindowFixture &fixture, const QString &setup) const;
};

void tst_Accessibility::start(WindowFixture &fixture, const QString &setup) const
{
    fixture.start();
    fixture.browser().bodyInnerHTML = u"<p>kestrel</p>"_s;
    fixture.browser().complete(u"http://page.test/"_s, u"Page"_s);
    QApplication::setActiveWindow(fixture.frame.get());
    if (setup.contains(u"favorites"))
        fixture.chooseItem(u"mnuFileFavoritesList"_s);
    if (setup.contains(u"source view"))
        fixture.chooseItem(u"mnuLinksDisplayCurrHTMLDoc"_s);
    if (setup.contains(u"find bar"))
        QTest::keySequence(fixture.frame.get(), QKeySequence(u"Ctrl+F"_s));
}

void tst_Accessibility::keysMoveTheFocus_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("to");

    // F6 goes round the panes shown, from the top: the address box, the strip's visible
    // panel, the page and the find bar while it is open.
    QTest::newRow("F6: address box to links panel")
        << u""_s << u"cboAddress"_s << u"F6"_s << u"cboLinksList"_s;
    QTest::newRow("F6: links panel to page")
        << u""_s << u"cboLinksList"_s << u"F6"_s << u"ctlWebBrowser"_s;
    QTest::newRow("Shift+F6: back round to the page")
        << u""_s << u"cboAddress"_s << u"Shift+F6"_s << u"ctlWebBrowser"_s;
    QTest::newRow("F6: address box to favorites panel")
        << u"favorites"_s << u"cboAddress"_s << u"F6"_s << u"cboFavoritesList"_s;
    QTest::newRow("F6: a favorites button is in its panel")
        << u"favorites"_s << u"cmdAddFavorite"_s << u"F6"_s << u"ctlWebBrowser"_s;
    QTest::newRow("F6: page to the open find bar")
        << u"find bar"_s << u"ctlWebBrowser"_s << u"F6"_s << u"findText"_s;
    QTest::newRow("F6: the source view is the page")
        << u"source view"_s << u"cboLinksList"_s << u"F6"_s << u"Text1"_s;

    // Tab goes through what can be seen, in reading order.
    QTest::newRow("Tab: the covered favorites controls are passed")
        << u""_s << u"cboAddress"_s << u"Tab"_s << u"cboLinksList"_s;
    QTest::newRow("Tab: favorites from left to right")
        << u"favorites"_s << u"cboAddress"_s << u"Tab"_s << u"cmdSelectFavorite"_s;
    QTest::newRow("Shift+Tab: the list back to the last button")
        << u"favorites"_s << u"cboFavoritesList"_s << u"Shift+Tab"_s << u"cmdExitFavoritesList"_s;
    QTest::newRow("Tab: find bar buttons in the order shown")
        << u"find bar"_s << u"findNext"_s << u"Tab"_s << u"findMatchCase"_s;
    // The button that brings the links panel back is covered by it: the focus goes on to
    // the page instead of staying out of sight.
    QTest::newRow("Space on Exit Favorites List")
        << u"favorites"_s << u"cmdExitFavoritesList"_s << u"Space"_s << u"ctlWebBrowser"_s;
}

void tst_Accessibility::keysMoveTheFocus()
{
    QFETCH(QString, setup);
    QFETCH(QString, from);
    QFETCH(QString, keys);
    QFETCH(QString, to);

    WindowFixture fixture;
    start(fixture, setup);
    QWidget *start = fixture.control(from);
    start->setFocus(Qt::OtherFocusReason);
    QVERIFY(start->hasFocus() || start->isAncestorOf(QApplication::focusWidget()));
    QTest::keySequence(QApplication::focusWidget(), QKeySequence(keys));
    QApplication::processEvents();

    QWidget *focus = QApplication::focusWidget();
    QWidget *expected = fixture.control(to);
    QVERIFY2(focus && (focus == expected || expected->isAncestorOf(focus)),
             qPrintable(focus ? focus->objectName() : u"nothing"_s));
    if (to == u"cboAddress")
        QCOMPARE(fixture.cboAddress()->lineEdit()->selectedText(),
                 fixture.cboAddress()->currentText());
}

void tst_Accessibility::themesKeepTextReadable_data()
{
    QTest::addColumn<QPalette>("theme");
    const auto palette = [](QColor window, QColor text, QColor base, QColor button) {
        QPalette colours;
        colours.setColor(QPalette::Window, window);
        colours.setColor(QPalette::WindowText, text);
        colours.setColor(QPalette::Base, base);
        colours.setColor(QPalette::Text, text);
        colours.setColor(QPalette::Button, button);
        colours.setColor(QPalette::ButtonText, text);
        return colours;
    };
    QTest::newRow("light") << palette(QColor(239, 239, 239), Qt::black, Qt::white,
                                      QColor(239, 239, 239));
    QTest::newRow("dark") << palette(QColor(53, 53, 53), QColor(230, 230, 230), QColor(35, 35, 35),
                                     QColor(60, 60, 60));
    QTest::newRow("high contrast") << palette(Qt::black, Qt::white, Qt::black, Qt::black);
}

void tst_Accessibility::themesKeepTextReadable()
{
    QFETCH(QPalette, theme);
    const QPalette before = QApplication::palette();
    QApplication::setPalette(theme);
    const auto restore = qScopeGuard([&] { QApplication::setPalette(before); });

    WindowFixture fixture;
    start(fixture, u"find bar"_s);
    auto *field = fixture.control<QLineEdit>(u"findText"_s);
    QTest::keyClicks(field, u"nowhere"_s);
    Q_EMIT fixture.browser().find().FindResult(0, 0);
    QCOMPARE(fixture.control<QLabel>(u"findResult"_s)->text(), u"Not found"_s);

    const auto check = [](QWidget *widget, QPalette::ColorRole text, QPalette::ColorRole background,
                          double least) {
        const QPalette shown = widget->palette();
        const double ratio = ReadableColours::contrast(shown.color(text), shown.color(background));
        QVERIFY2(ratio >= least, qPrintable(u"%1: %2"_s.arg(widget->objectName()).arg(ratio)));
    };
    for (auto *label : fixture.frame->findChildren<QLabel *>()) {
        if (!label->text().isEmpty())
            check(label, QPalette::WindowText, QPalette::Window, ReadableColours::minimumContrast);
    }
    for (auto *box : fixture.frame->findChildren<QComboBox *>()) {
        check(box, QPalette::Text, QPalette::Base, ReadableColours::minimumContrast);
        check(box, QPalette::ButtonText, QPalette::Button, ReadableColours::minimumContrast);
    }
    check(field, QPalette::Text, QPalette::Base, 4.5);
    // and it still warns: tinted away from the theme's base.
    QVERIFY(field->palette().color(QPalette::Base) != theme.color(QPalette::Base));
}

void tst_Accessibility::messagesReachTheReader()
{
    WindowFixture fixture;
    start(fixture, u"source view, find bar"_s);
    const auto nameOf = [](QObject *object) {
        return QAccessible::queryAccessibleInterface(object)->text(QAccessible::Name);
    };
    QLabel *status = fixture.frame->Panel1;
    QCOMPARE(nameOf(status), u"Status"_s);
    Q_EMIT fixture.browser().StatusTextChange(u"Download finished"_s);
    QCOMPARE(nameOf(status), u"Download finished"_s);
    Q_EMIT fixture.browser().StatusTextChange(QString());
    QCOMPARE(nameOf(status), u"Status"_s);

    auto *field = fixture.control<QLineEdit>(u"findText"_s);
    QTest::keyClicks(field, u"kestrel"_s);
    QCOMPARE(QAccessible::queryAccessibleInterface(field)->text(QAccessible::Description),
             u"1 of 1"_s);
}

void tst_Accessibility::panesWithoutTheFindBar()
{
    // The find bar is a feature of its own: a window made without it has a pane less.
    WindowFixture fixture;
    BareHost host(fixture.test.platform.commonDialog);
    FeatureList features;
    features.add<BrowserAccessibility>();
    frmWebBrowser window(host, fixture.test.platform, std::move(features));
    window.handlers().run("Form_Load", [&] { window.Form_Load(); });
    window.show();
    QApplication::setActiveWindow(&window);
    auto *address = window.findChild<QComboBox *>(u"cboAddress"_s);
    QWidget *page = fixture.browser().widget();
    page->setFocus(Qt::OtherFocusReason);
    QVERIFY(page->hasFocus());
    Commands::named(window.commands(), "actNextPane")->handler();
    QVERIFY(address->hasFocus() || address->isAncestorOf(QApplication::focusWidget()));
    Commands::named(window.commands(), "actPreviousPane")->handler();
    QVERIFY(page->hasFocus());
}

KESTRAV_TEST_MAIN(tst_Accessibility)
#include "tst_accessibility.moc"
