#pragma once

#include "app/frmframe.h"
#include "platform/api/richtextarea.h"
#include "testplatform.h"
#include "testsupport.h"
#include "ui/frmwebbrowser.h"
#include "ui/picturebox.h"

#include <memory>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolBar>

// The texts of a combo box's items, in order.
inline QStringList itemTexts(const QComboBox *box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts.append(box->itemText(i));
    return texts;
}

// The real frame and browser window on a platform of doubles, started as the program
// starts: the frame's load shows the browser window.
class WindowFixture
{
public:
    WindowFixture()
        : test(sandbox.programFolder())
    {
    }

    void start()
    {
        frame = std::make_unique<frmFrame>(test.platform);
        frame->MDIForm_Load();
        QApplication::processEvents();
    }

    frmWebBrowser &window() const
    {
        frmWebBrowser *browserWindow = frame->webBrowser();
        if (!browserWindow)
            qFatal("the browser window is not loaded");
        return *browserWindow;
    }

    FakeWebBrowserControl &browser() const { return *test.browser; }

    // A control of the browser window by its name.
    template<typename Control = QWidget> Control *control(const QString &name) const
    {
        auto *found = window().findChild<Control *>(name);
        if (!found)
            qFatal("the browser window has no control %s", qPrintable(name));
        return found;
    }
    QComboBox *cboAddress() const { return control<QComboBox>(QStringLiteral("cboAddress")); }
    QComboBox *cboLinksList() const { return control<QComboBox>(QStringLiteral("cboLinksList")); }
    QComboBox *cboFavoritesList() const
    {
        return control<QComboBox>(QStringLiteral("cboFavoritesList"));
    }
    QProgressBar *tbrProgress() const
    {
        return control<QProgressBar>(QStringLiteral("tbrProgress"));
    }
    QTimer *timer1() const { return control<QTimer>(QStringLiteral("timer1")); }
    QToolBar *WebToolbar() const { return control<QToolBar>(QStringLiteral("WebToolbar")); }
    RichTextArea &Text1() const { return *test.text; }
    FakeInternetTransfer &ctlInet() const { return *test.transfer; }

    // Clicks a button of the window's toolbar with the mouse, as a user does.
    void clickButton(const QString &key) const
    {
        QTest::mouseClick(WebToolbar()->widgetForAction(window().Buttons(key)), Qt::LeftButton);
    }
    // Types an address into the address box in place of its text, and presses Enter.
    void typeAndEnter(const QString &text) const
    {
        QComboBox *box = cboAddress();
        box->setFocus();
        box->clearEditText();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
        QApplication::processEvents();
    }
    // Chooses an item of the window's menus.
    void chooseItem(const QString &name) const { window().menuItem(name)->trigger(); }

    QString favoritesPath() const
    {
        return sandbox.programFolder() + QStringLiteral("/Favorites.txt");
    }

    // Captions of the menu bar's menus as they stand now.
    QStringList menuBarCaptions() const
    {
        QStringList captions;
        for (QAction *action : frame->menuBar()->actions())
            captions.append(action->text());
        return captions;
    }

    TestSandbox sandbox;
    TestPlatform test;
    std::unique_ptr<frmFrame> frame;
};
