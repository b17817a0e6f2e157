#pragma once

#include "ui/commandtable.h"
#include "ui/featurecontext.h"

#include <memory>
#include <QObject>
#include <QString>

class RichTextArea;
class SettingsStore;
class StatusLine;
class WebBrowserControl;

// The zoom of what the window shows: a page takes the zoom its site keeps, and a step in or
// out is kept for the site; the text shown in the page's place zooms for this run only.
class PageZoom final : public QObject
{
    Q_OBJECT

public:
    // The commands of the unit, reached by their keys, as rows of the window's table.
    static CommandTable commands();

    // Says the page's zoom in the status line, and steps as the page asks (Ctrl and the wheel).
    explicit PageZoom(const FeatureContext &context);

    // Which view the steps zoom.
    void setPageShown(bool pageShown) { m_pageShown = pageShown; }

    void zoomIn() { step(1); }
    void zoomOut() { step(-1); }
    void reset() { step(0); }
    // Steps up (positive) or down (negative) as many times.
    void stepBy(int steps);

    // "Zoom 125 %" while the page is not at 100 %, else "".
    QString statusText() const;

private:
    void showStatus();
    // One step up (positive) or down (negative), or back to 100 % (zero).
    void step(int direction);

    WebBrowserControl &m_page;
    RichTextArea &m_text;
    StatusLine &m_status;
    std::shared_ptr<SettingsStore> m_settings;
    bool m_pageShown = true;
    qreal m_textZoom = 1.0;
};
