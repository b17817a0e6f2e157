#pragma once

#include "ui/commandtable.h"

#include <functional>
#include <memory>
#include <QObject>
#include <QString>
#include <QStringList>
#include <type_traits>
#include <utility>
#include <vector>

class DocumentAccess;
class DownloadControl;
class PageEvents;
class PageFind;
class PagePrinting;
class PageReader;
class PageSignIns;
class PageTools;
class QAction;
class QComboBox;
class QWidget;
class RichTextArea;
class StatusLine;
class WebBrowserControl;
class WebBrowserHost;
class ZoomControl;
struct Platform;
namespace Ui {
class frmWebBrowser;
}

// What the address box tells the features that follow it.
class AddressBoxEvents final : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

Q_SIGNALS:
    // The address box has started a navigation to address (as typed or chosen).
    void navigationTyped(const QString &address);
};

// What the browser window offers the makers of its features: each part by name, so that a
// maker hands its unit's constructor exactly the parts the unit uses. A maker keeps nothing of
// this but those parts; the window outlives every unit.
struct WindowParts
{
    using Work = std::function<void()>;
    using Runner = std::function<void(const char *name, const Work &work)>;

    // The page shown, in parts.
    struct Page
    {
        // Which control the parts belong to, for news that names its control.
        const WebBrowserControl *identity;
        // Where the page is drawn.
        QWidget &widget;
        PageEvents &events;
        PageFind &find;
        ZoomControl &zoom;
        PagePrinting &printing;
        DocumentAccess &document;
        PageTools &tools;
        PageSignIns &signIns;
        PageReader &reader;
        DownloadControl &downloads;
        // The page's address and name, as the control gives them; they may fail with
        // PlatformError.
        std::function<QString()> address;
        std::function<QString()> title;
        std::function<void(const QString &url)> navigate;
        Work reload;
        Work focus;
    };

    // The address box of the window, and what the window does with an address a feature gives.
    struct AddressBox
    {
        QComboBox &box;
        AddressBoxEvents &events;
        // The favorites list's texts.
        std::function<QStringList()> favorites;
        // Opens an address as if the user had chosen it in the box.
        std::function<void(const QString &url)> open;
        // The text now in the box came from a suggestion, not from typing.
        std::function<void(const QString &address)> chosen;
        // The history of these addresses has gone (everything: all of it, the recent addresses
        // too): the box and the recent-address menu forget them.
        std::function<void(const QStringList &addresses, bool everything)> forget;
    };

    // The favorites file, for a feature that writes it itself.
    struct FavoritesFile
    {
        // Where the file is kept; empty when it cannot be kept. Known once the window is loaded.
        std::function<QString()> path;
        // The file was written: the list shows it anew.
        Work reread;
    };

    WebBrowserHost &host;
    // The browser window, as the parent of what a unit shows or owns.
    QWidget &window;
    // The designed controls, for the units that serve the design itself.
    Ui::frmWebBrowser &design;
    Page page;
    // Another page, for a window of a unit's own: made with parent, which it goes with.
    std::function<Page(QWidget *parent)> makePage;
    AddressBox addressBox;
    FavoritesFile favorites;
    // The text shown in the page's place (a source, a list of links).
    RichTextArea &text;
    StatusLine &status;
    Platform &platform;
    // Runs a handler that Qt calls: a failure is shown under name and the window goes on.
    Runner guarded;
    // Runs a handler that the user started: the status line's message is cleared first.
    Runner userHandler;
    // Runs a command's work: a failure ends it and is shown under name; a dialog's cancel
    // ends it quietly.
    Runner reportAndLeave;
    // A menu item or window action by its name; fails with PlatformError when there is none.
    std::function<QAction *(const QString &name)> action;
    // Runs the command of that name, as its keys do.
    std::function<void(const char *name)> run;
    // The address that the page's location stands for: a unit's view of its own of a page names
    // the page (see WindowFeature::addressShown).
    std::function<QString(const QString &location)> addressShown;
    // A unit's part of the main area has changed (shown, hidden, resized).
    Work layoutChanged;
};

// What a button of a unit connects its click to: owner's action, run by runner (one of the
// window's Runners) as the handler called name.
template<typename Owner>
auto handler(WindowParts::Runner runner, const char *name, Owner *owner, void (Owner::*action)())
{
    return [runner = std::move(runner), name, owner, action] {
        runner(name, [&] { (owner->*action)(); });
    };
}

// What the window asks of its units as its view and layout change. A unit takes part in what
// it overrides; the window names none of them.
class WindowFeature
{
public:
    virtual ~WindowFeature() = default;
    // The page is shown (true), or the text in its place.
    virtual void setPageShown(bool pageShown) { (void)pageShown; }
    // Something of the unit's that Esc closes, before full screen ends and a load stops.
    virtual bool closesOnEscape() const { return false; }
    virtual void closeOnEscape() { }
    // The height the unit takes from the foot of the main area.
    virtual int footHeight() const { return 0; }
    // The address the address box shows and lists for the page's location: a view of its own
    // of a page names the page.
    virtual QString addressShown(const QString &location) const { return location; }
};

// One feature of the browser window: the rows its unit declares, bound to the unit, and the
// unit made from the window's parts.
class Feature
{
public:
    virtual ~Feature() = default;
    // Asked before the unit is made; a row runs only once the window is built.
    virtual std::vector<Commands::Command> commands() = 0;
    virtual void make(WindowParts &parts) = 0;
    // The unit, where it takes part in the window's view and layout and has been made.
    virtual WindowFeature *windowFeature() const = 0;
};

// When a unit is made: with the window, or when one of its rows first runs (a window that
// costs the start time and is seldom opened).
enum class Made { WithWindow, AtFirstUse };

// A feature whose unit declares `static std::unique_ptr<Unit> make(WindowParts &)`, and, where
// it has them, `static Commands::Rows<Unit> commands()` and `static void attach(WindowParts &,
// std::function<Unit &()>)` (what reaches the unit before it is made).
template<typename Unit> class UnitFeature final : public Feature
{
public:
    explicit UnitFeature(Made made)
        : m_made(made)
    {
    }

    std::vector<Commands::Command> commands() override
    {
        if constexpr (requires { Unit::commands(); })
            return Commands::bound<Unit>(Unit::commands(), [this]() -> Unit & { return unit(); });
        else
            return {};
    }

    void make(WindowParts &parts) override
    {
        m_parts = &parts;
        if (m_made == Made::WithWindow)
            unit();
        if constexpr (requires { Unit::attach(parts, std::function<Unit &()>()); })
            Unit::attach(parts, [this]() -> Unit & { return unit(); });
    }

    WindowFeature *windowFeature() const override
    {
        if constexpr (std::is_base_of_v<WindowFeature, Unit>)
            return m_unit.get();
        else
            return nullptr;
    }

private:
    Unit &unit()
    {
        if (!m_unit)
            m_unit = Unit::make(*m_parts);
        return *m_unit;
    }

    Made m_made;
    WindowParts *m_parts = nullptr;
    std::unique_ptr<Unit> m_unit;
};

// The features of a window, in order: their rows join the window's own in this order, which is
// also the order of the page's context menu.
class FeatureList
{
public:
    template<typename Unit> FeatureList &add(Made made = Made::WithWindow)
    {
        m_features.push_back(std::make_unique<UnitFeature<Unit>>(made));
        return *this;
    }

    std::vector<std::unique_ptr<Feature>> take() { return std::move(m_features); }

private:
    std::vector<std::unique_ptr<Feature>> m_features;
};
