#include "ui/fullscreenlayout.h"

#include "ui/webbrowserhost.h"

#include <QWidget>

FullScreenLayout::FullScreenLayout(WebBrowserHost &host, QWidget &window, QList<QWidget *> strips,
                                   QList<QWidget *> mainArea)
    : m_host(host)
    , m_window(window)
    , m_strips(std::move(strips))
    , m_mainArea(std::move(mainArea))
{
}

void FullScreenLayout::toggle()
{
    m_on = !m_on;
    if (m_on) {
        m_stripsShown.clear();
        m_mainGeometry.clear();
        for (QWidget *strip : m_strips) {
            m_stripsShown.append(!strip->isHidden());
            strip->hide();
        }
        for (QWidget *area : m_mainArea)
            m_mainGeometry.append(area->geometry());
        m_host.setFullScreen(true);
        fill();
        return;
    }
    m_host.setFullScreen(false);
    for (qsizetype i = 0; i < m_strips.size(); ++i)
        m_strips.at(i)->setVisible(m_stripsShown.at(i));
    for (qsizetype i = 0; i < m_mainArea.size(); ++i)
        m_mainArea.at(i)->setGeometry(m_mainGeometry.at(i));
}

void FullScreenLayout::fill()
{
    if (!m_on)
        return;
    for (QWidget *area : m_mainArea)
        area->setGeometry(m_window.rect());
}
