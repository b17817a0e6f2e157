#include "ui/browseraccessibility.h"

#include "accessibility/accessibility.h"
#include "accessibility/focusframe.h"
#include "accessibility/panecycle.h"
#include "platform/api/pagetools.h"
#include "platform/api/richtextarea.h"
#include "ui/picturebox.h"
#include "ui/ui_frmwebbrowser.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QToolBar>
#include <QToolButton>

namespace {

QString translated(const char *text)
{
    return QCoreApplication::translate("BrowserAccessibility", text);
}

bool holds(const QWidget *pane, const QWidget *focus)
{
    return focus && (pane == focus || pane->isAncestorOf(focus));
}

} // namespace

std::unique_ptr<BrowserAccessibility> BrowserAccessibility::make(WindowParts &parts)
{
    // A window the page opens is closed by the keyboard as any other.
    QObject::connect(&parts.page.tools, &PageTools::WindowOpened, &parts.window,
                     &Accessibility::closeByKeyboard);
    return std::make_unique<BrowserAccessibility>(
        parts.design, &parts.window, &parts.page.widget, parts.text.widget(),
        parts.window.findChild<QWidget *>(QStringLiteral("findBar")));
}

BrowserAccessibility::BrowserAccessibility(Ui::frmWebBrowser &ui, QWidget *window, QWidget *page,
                                           QWidget *text, QWidget *findBar)
    : QObject(window)
    , m_ui(ui)
    , m_window(window)
    , m_page(page)
    , m_text(text)
    , m_findBar(findBar)
{
    nameControls();
    orderFocus();
    for (QWidget *designed :
         std::initializer_list<QWidget *> { ui.cboAddress, ui.cboLinksList, ui.cboFavoritesList,
                                            ui.lblAddress, ui.lblLinks, ui.lblFavorites })
        Accessibility::keepReadable(designed);
    Accessibility::announceProgress(ui.tbrProgress);
    new FocusFrame(page);
    // The style marks a focused picture button faintly; its frame's border shows it plainly.
    for (QFrame *frame : ui.pic1)
        new FocusFrame(frame);
    ui.picLinksListContainer->installEventFilter(this);
    updateCoveredControls();
}

void BrowserAccessibility::nameControls()
{
    m_page->setAccessibleName(translated("Web page"));
    m_text->setAccessibleName(translated("HTML document"));

    m_window->setAccessibleName(translated("Browser window"));
    Accessibility::nameToolBar(m_ui.WebToolbar, translated("Browser toolbar"));
    for (QAction *button : m_ui.buttonList) {
        if (auto *tool = qobject_cast<QToolButton *>(m_ui.WebToolbar->widgetForAction(button)))
            tool->setAccessibleName(Accessibility::nameFromToolTip(button->toolTip()));
    }
    m_ui.tbrProgress->setAccessibleName(translated("Progress"));
    m_ui.picAnimation->setAccessibleName(
        Accessibility::nameFromToolTip(m_ui.picAnimation->toolTip()));

    m_ui.picAddressContainer->setAccessibleName(translated("Address bar"));
    m_ui.picFavouritesListContainer->setAccessibleName(translated("Favorites panel"));
    m_ui.picLinksListContainer->setAccessibleName(translated("Links panel"));
    Accessibility::nameComboBox(m_ui.cboAddress, translated("Address"));
    Accessibility::nameComboBox(m_ui.cboLinksList, translated("Links"));
    Accessibility::nameComboBox(m_ui.cboFavoritesList, translated("Favorites"));
    m_ui.lblAddress->setBuddy(m_ui.cboAddress);
    m_ui.lblLinks->setBuddy(m_ui.cboLinksList);
    m_ui.lblFavorites->setBuddy(m_ui.cboFavoritesList);
    for (QToolButton *button : favoriteButtons())
        Accessibility::nameByToolTip(button);
}

QList<QToolButton *> BrowserAccessibility::favoriteButtons() const
{
    QList<QToolButton *> buttons;
    for (const char *name :
         { "cmdSelectFavorite", "cmdAddFavorite", "cmdDeleteFavorite", "cmdExitFavoritesList" }) {
        if (QToolButton *button = m_ui.panelButtons.value(QString::fromLatin1(name)))
            buttons.append(button);
    }
    return buttons;
}

void BrowserAccessibility::orderFocus()
{
    // Reading order: the page (first, as designed), the address box, the panel strip from left
    // to right, then the find bar from left to right.
    QList<QWidget *> chain { m_page, m_text, m_ui.cboAddress, m_ui.cboLinksList };
    for (QToolButton *button : favoriteButtons())
        chain.append(button);
    chain.append(m_ui.cboFavoritesList);
    for (const char *name :
         { "findText", "findPrevious", "findNext", "findMatchCase", "findClose" }) {
        if (auto *control = m_findBar->findChild<QWidget *>(QString::fromLatin1(name)))
            chain.append(control);
    }
    for (qsizetype index = 1; index < chain.size(); ++index)
        QWidget::setTabOrder(chain.at(index - 1), chain.at(index));
}

void BrowserAccessibility::updateCoveredControls()
{
    const bool covered = !m_ui.picLinksListContainer->isHidden();
    QList<QWidget *> behind { m_ui.cboFavoritesList };
    for (QToolButton *button : favoriteButtons())
        behind.append(button);
    bool hadFocus = false;
    for (QWidget *control : behind) {
        hadFocus = hadFocus || control->hasFocus();
        const Qt::FocusPolicy own
            = qobject_cast<QComboBox *>(control) ? Qt::WheelFocus : Qt::TabFocus;
        control->setFocusPolicy(covered ? Qt::NoFocus : own);
    }
    if (covered && hadFocus)
        m_ui.cboLinksList->setFocus(Qt::OtherFocusReason);
}

bool BrowserAccessibility::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui.picLinksListContainer
        && (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent))
        updateCoveredControls();
    return QObject::eventFilter(watched, event);
}

void BrowserAccessibility::nextPane(bool backward)
{
    QWidget *page = m_page->isHidden() ? m_text : m_page;
    QWidget *panel
        = m_ui.picLinksListContainer->isHidden() ? m_ui.cboFavoritesList : m_ui.cboLinksList;
    // From the top of the window down, so that F6 from the page goes to the address box.
    const QList<QWidget *> panes { m_ui.picAddressContainer, m_ui.picFavouritesListContainer, page,
                                   m_findBar };
    const QList<QWidget *> targets {
        m_ui.cboAddress, panel, page, m_findBar->findChild<QLineEdit *>(QStringLiteral("findText"))
    };
    QList<bool> shown;
    int current = -1;
    QWidget *focus = QApplication::focusWidget();
    for (qsizetype index = 0; index < panes.size(); ++index) {
        shown.append(panes.at(index)->isVisibleTo(m_window) && targets.at(index));
        if (holds(panes.at(index), focus))
            current = int(index);
    }
    const int next = PaneCycle::next(shown, current, backward);
    if (next < 0)
        return;
    targets.at(next)->setFocus(backward ? Qt::BacktabFocusReason : Qt::TabFocusReason);
    if (targets.at(next) == m_ui.cboAddress)
        m_ui.cboAddress->lineEdit()->selectAll();
}

Commands::Rows<BrowserAccessibility> BrowserAccessibility::commands()
{
    using namespace Commands;
    static constexpr Row<BrowserAccessibility> rows[] = {
        keys<BrowserAccessibility>("actNextPane", QT_TRANSLATE_NOOP("frmWebBrowser", "Next pane"),
                                   "F6", [](BrowserAccessibility &unit) { unit.nextPane(false); }),
        keys<BrowserAccessibility>("actPreviousPane",
                                   QT_TRANSLATE_NOOP("frmWebBrowser", "Previous pane"), "Shift+F6",
                                   [](BrowserAccessibility &unit) { unit.nextPane(true); }),
    };
    return rows;
}
