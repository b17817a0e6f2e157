#pragma once

#include <QList>
#include <QPair>
#include <QRect>

class QWidget;
class WebBrowserHost;

// Full screen for the browser window: the frame takes the whole screen without its menus and
// status bar, and the window shows only its main area; everything comes back as it was.
class FullScreenLayout
{
public:
    // strips: what the window hides; mainArea: what then fills the window.
    FullScreenLayout(WebBrowserHost &host, QWidget &window, QList<QWidget *> strips,
                     QList<QWidget *> mainArea);

    bool isOn() const { return m_on; }
    void toggle();
    // Lays the main area over the whole window while full screen is on.
    void fill();

private:
    WebBrowserHost &m_host;
    QWidget &m_window;
    QList<QWidget *> m_strips;
    QList<QWidget *> m_mainArea;
    bool m_on = false;
    QList<bool> m_stripsShown;
    QList<QRect> m_mainGeometry;
};
