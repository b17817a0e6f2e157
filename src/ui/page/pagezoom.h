#pragma once

#include "ui/commandtable.h"
#include "ui/feature.h"

#include <functional>
#include <memory>
#include <QObject>
#include <QString>

class PageEvents;
class RichTextArea;
class SettingsStore;
class StatusLine;
class ZoomControl;

// The zoom of what the window shows: a page takes the zoom its site keeps, and a step in or
// out is kept for the site; the text shown in the page's place zooms for this run only.
class PageZoom final : public QObject, public WindowFeature
{
    Q_OBJECT

public:
    // The commands of the unit, reached by their keys, as rows of the window's table.
    static Commands::Rows<PageZoom> commands();

    static std::unique_ptr<PageZoom> make(WindowParts &parts);

    // Says the page's zoom in the status line, and steps as the page asks (Ctrl and the wheel).
    // pageAddress: the page's address; siteAddressOf: the address whose site keeps the zoom of
    // a page's address (a view of a page, such as its article alone, zooms as the page's site).
    PageZoom(ZoomControl &zoom, PageEvents &events, std::function<QString()> pageAddress,
             std::function<QString(const QString &)> siteAddressOf, RichTextArea &text,
             StatusLine &status, std::shared_ptr<SettingsStore> settings,
             const WindowParts::Runner &guarded);

    // Which view the steps zoom.
    void setPageShown(bool pageShown) override { m_pageShown = pageShown; }

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

    ZoomControl &m_zoom;
    std::function<QString()> m_pageAddress;
    std::function<QString(const QString &)> m_siteAddressOf;
    RichTextArea &m_text;
    StatusLine &m_status;
    std::shared_ptr<SettingsStore> m_settings;
    bool m_pageShown = true;
    qreal m_textZoom = 1.0;
};
