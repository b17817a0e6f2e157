#pragma once

#include "frmframe.h"
#include "frmwebbrowser.h"
#include "picturebox.h"
#include "testplatform.h"
#include "testsupport.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>

#include <memory>

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

    QString favoritesPath() const { return sandbox.programFolder() + QStringLiteral("/Favorites.txt"); }

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
