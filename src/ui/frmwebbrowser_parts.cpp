#include "favorites/favoriteslistmodel.h"
#include "platform/api/contentblocking.h"
#include "platform/api/webbrowsercontrol.h"
#include "ui/frmwebbrowser.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

// The parts the window hands its units: its page, its address box, its favorites file, its
// handlers and its runners.

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
        // The box's own moves through its list (Up, Down, Page Up, Page Down, the wheel)
        // would open the entry they reach: only Enter and a choice from the opened list go.
        if (event->type() == QEvent::Wheel)
            return true;
        if (event->type() == QEvent::KeyPress && movesThroughList(static_cast<QKeyEvent *>(event)))
            return true;
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::FocusOut)
            m_typed(event->type() == QEvent::KeyPress ? static_cast<QKeyEvent *>(event) : nullptr);
        return QObject::eventFilter(watched, event);
    }

    static bool movesThroughList(const QKeyEvent *key)
    {
        switch (key->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
            // Alt with them opens and closes the list.
            return !(key->modifiers() & Qt::AltModifier);
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            return true;
        default:
            return false;
        }
    }

private:
    std::function<void(QKeyEvent *)> m_typed;
};

// The control in the parts that features take. The blocking names its page by the control;
// the page's events tell it to the features, which do not know the control.
WindowParts::Page partsOf(WebBrowserControl &page, ContentBlocking *blocking)
{
    if (blocking)
        QObject::connect(blocking, &ContentBlocking::blockedCountChanged, &page.events(),
                         [&page](const WebBrowserControl *control) {
                             if (control == &page)
                                 Q_EMIT page.events().BlockedCountChange();
                         });
    return { .identity = &page,
             .widget = *page.widget(),
             .events = page.events(),
             .find = page.find(),
             .zoom = page.zoom(),
             .printing = page.printing(),
             .document = page.document(),
             .tools = page.tools(),
             .signIns = page.signIns(),
             .reader = page.reader(),
             .downloads = page.downloadControl(),
             .address = [&page] { return page.LocationURL(); },
             .title = [&page] { return page.LocationName(); },
             .navigate = [&page](const QString &url) { page.Navigate(url); },
             .reload = [&page] { page.Refresh(); },
             .focus = [&page] { page.SetFocus(); } };
}

} // namespace

void frmWebBrowser::makeParts()
{
    // The window's own handling of its address box comes first: the keys reach it before
    // what a feature adds to the box.
    // Enter and a choice from the list each navigate once.
    // Choosing an entry of the list, with the mouse or the arrow keys, accepts it at once.
    connect(cboAddress, &QComboBox::activated, this, [this] {
        if (m_addressKeyPending)
            return;
        m_addressText.chosen(cboAddress->currentText());
        m_guard.user("cboAddress_Click", [&] { cboAddress_Click(); });
    });
    connect(cboAddress->lineEdit(), &QLineEdit::textEdited, this,
            [this] { m_addressText.edited(); });
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
                m_guard.user("cboAddress_KeyPress", [&] { cboAddress_KeyPress(keyAscii); });
        }
    }));

    WebBrowserControl &page = *ctlWebBrowser;
    m_addressEvents = new AddressBoxEvents(this);
    m_parts.reset(new WindowParts {
        .host = m_host,
        .window = *this,
        .design = *this,
        .page = partsOf(page, m_platform.blocking.get()),
        .makePage =
            [this](QWidget *parent) {
                return partsOf(*m_platform.createWebBrowserControl(parent),
                               m_platform.blocking.get());
            },
        .addressBox
        = { .box = *cboAddress,
            .events = *m_addressEvents,
            .favorites = [this] { return favoritesModel->texts(); },
            // An address a feature gives goes as if chosen in the address box.
            .open =
                [this](const QString &url) {
                    activateWindow();
                    m_guard.user("cboAddress_Click", [&] {
                        cboAddress->setEditText(url);
                        cboAddress_Click();
                    });
                },
            .chosen = [this](const QString &address) { m_addressText.chosen(address); },
            .forget = [this](const QStringList &addresses,
                             bool everything) { forgetAddresses(addresses, everything); } },
        .favorites
        = { .path = [this] { return FavoritesFilePath; },
            .reread
            = [this] { m_guard.run("ReadFavoritesList", [this] { ReadFavoritesList(); }); } },
        .text = *Text1,
        .status = m_status,
        .platform = m_platform,
        .guarded
        = [this](const char *name, const WindowParts::Work &work) { m_guard.run(name, work); },
        .userHandler
        = [this](const char *name, const WindowParts::Work &work) { m_guard.user(name, work); },
        .reportAndLeave
        = [this](const char *name, const WindowParts::Work &work) { m_guard.report(name, work); },
        .action = [this](const QString &name) { return menuItem(name); },
        .run = [this](const char *name) { Commands::named(commands(), name)->handler(); },
        .addressShown =
            [this](QString location) {
                for (const std::unique_ptr<Feature> &feature : m_features)
                    if (const WindowFeature *unit = feature->windowFeature())
                        location = unit->addressShown(location);
                return location;
            },
        .layoutChanged =
            [this] {
                Form_Resize();
                updateEscapeKey();
            },
    });
}
