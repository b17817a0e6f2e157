#pragma once

#include "ui/commandtable.h"
#include "ui/feature.h"

#include <memory>
#include <QList>
#include <QObject>

class QToolButton;
class QWidget;
namespace Ui {
class frmWebBrowser;
}

// The browser window for a screen reader and the keyboard alone: every control named by what
// it is, Tab going through the controls that can be seen in reading order, F6 going from pane
// to pane, and the designed colours kept readable in the desktop's theme. The window's design
// does not change: only names, descriptions, the order of the focus and unreadable colours.
class BrowserAccessibility final : public QObject
{
    Q_OBJECT

public:
    // The commands of the unit, reached by their keys, as rows of the window's table.
    static Commands::Rows<BrowserAccessibility> commands();

    // Made after the find bar, whose controls take their place in the order.
    static std::unique_ptr<BrowserAccessibility> make(WindowParts &parts);

    // page and text are the surfaces of the web control and of Text1; findBar, the bar at
    // the window's foot.
    BrowserAccessibility(Ui::frmWebBrowser &ui, QWidget *window, QWidget *page, QWidget *text,
                         QWidget *findBar);

    // Moves the keyboard to the next (or previous) pane shown: the address box, the panel
    // strip's visible panel, the page or Text1, and the find bar while it is open.
    void nextPane(bool backward);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The favorites panel's buttons, left to right.
    QList<QToolButton *> favoriteButtons() const;
    void nameControls();
    void orderFocus();
    // The favorites controls lie behind the links panel while it is shown: out of sight, so
    // out of the Tab order too, and never left holding the focus.
    void updateCoveredControls();

    Ui::frmWebBrowser &m_ui;
    QWidget *m_window;
    QWidget *m_page;
    QWidget *m_text;
    QWidget *m_findBar;
};
