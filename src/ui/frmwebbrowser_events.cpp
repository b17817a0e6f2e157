// The browser window's connections: the page's events, the units' news that the window lays
// out, and the address box.

#include "accessibility/accessibility.h"
#include "platform/api/pageprinting.h"
#include "platform/api/pagetools.h"
#include "platform/api/startupphase.h"
#include "platform/api/webbrowsercontrol.h"
#include "ui/findbar.h"
#include "ui/frmwebbrowser.h"
#include "ui/picturebox.h"
#include "ui/sourcewindow.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

namespace {

// The keys typed into the address box, as the user typed them: the box keeps the focus and
// hands them to its line edit itself.
class AddressBoxKeys final : public QObject
{
public:
    AddressBoxKeys(QObject *parent, std::function<void(QKeyEvent *)> typed)
        : QObject(parent)
        , m_typed(std::move(typed))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::FocusOut)
            m_typed(event->type() == QEvent::KeyPress ? static_cast<QKeyEvent *>(event) : nullptr);
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void(QKeyEvent *)> m_typed;
};

} // namespace

void frmWebBrowser::connectEvents()
{
    connectPage();
    connectUnits();
    QList<QAction *> pageMenu;
    for (const Commands::Command &command : commands()) {
        if (command.inPageMenu)
            pageMenu.append(menuItem(QString::fromLatin1(command.name)));
    }
    ctlWebBrowser->tools().SetContextMenuActions(pageMenu);

    connectAddressBox();
    updateEscapeKey();
}

// The window's timer and animation, and what the page tells as it loads and asks.
void frmWebBrowser::connectPage()
{
    connect(picAnimation, &PictureBox::clicked, this,
            [this] { userHandler("picAnimation_Click", [&] { picAnimation_Click(); }); });
    connect(timer1, &QTimer::timeout, this, [this] {
        guarded("timer1_Timer", [&] {
            updateEscapeKey();
            timer1_Timer();
        });
    });
    // A new page: Esc has nothing more to stop.
    connect(ctlWebBrowser, &WebBrowserControl::DownloadComplete, this, [this] {
        guarded("ctlWebBrowser_DownloadComplete", [&] {
            updateEscapeKey();
            ctlWebBrowser_DownloadComplete();
        });
    });
    connect(ctlWebBrowser, &WebBrowserControl::NavigateComplete2, this, [this](const QString &url) {
        guarded("ctlWebBrowser_NavigateComplete2", [&] {
            updateEscapeKey();
            ctlWebBrowser_NavigateComplete2(url);
        });
    });
    connect(ctlWebBrowser, &WebBrowserControl::StatusTextChange, this, [this](const QString &text) {
        guarded("ctlWebBrowser_StatusTextChange", [&] { ctlWebBrowser_StatusTextChange(text); });
    });
    connect(&ctlWebBrowser->printing(), &PagePrinting::PrintRequested, this, [this] {
        userHandler("actPrintPage_Click",
                    [&] { runCommand(*Commands::named(commands(), "actPrintPage")); });
    });
    connect(&ctlWebBrowser->tools(), &PageTools::ViewSourceRequested, this,
            [this](const QString &url) {
                guarded("ViewSource_Click", [&] {
                    if (!m_sourceWindow)
                        m_sourceWindow = new SourceWindow(m_platform.createWebBrowserControl);
                    m_sourceWindow->showSourceOf(url);
                });
            });
}

// The units' news for the status line and the window's layout.
void frmWebBrowser::connectUnits()
{
    connect(this, &QWidget::windowTitleChanged, this, &markStartupCaption);
    connect(m_findBar, &FindBar::openChanged, this, [this] {
        guarded("findBar_Change", [&] {
            Form_Resize();
            updateEscapeKey();
        });
    });
}

void frmWebBrowser::connectAddressBox()
{
    // Choosing an entry of the list, with the mouse or the arrow keys, accepts it at once.
    connect(cboAddress, &QComboBox::activated, this, [this] {
        if (m_addressKeyPending)
            return;
        m_addressText.chosen(cboAddress->currentText());
        userHandler("cboAddress_Click", [&] { cboAddress_Click(); });
    });
    cboAddress->installEventFilter(new AddressBoxKeys(this, [this](QKeyEvent *key) {
        const bool finishesEdit
            = !key || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (finishesEdit) {
            // The box itself may report an "activation" while it finishes the edit (Enter, or
            // leaving the box with text that matches an entry). That is not a choice from the
            // list, so it must not navigate a second time.
            m_addressKeyPending = true;
            QTimer::singleShot(0, this, [this] { m_addressKeyPending = false; });
        }
        if (key && !key->text().isEmpty()) {
            const int keyAscii = key->text().at(0).unicode();
            if (keyAscii == '\r') // Enter accepts the address
                userHandler("cboAddress_KeyPress", [&] { cboAddress_KeyPress(keyAscii); });
        }
    }));
}
