#include "platform/desktop/profiledata/desktopnotifications.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QHash>
#include <QWebEngineNotification>
#include <QWebEngineProfile>
#include <QWidget>

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = QStringLiteral("org.freedesktop.Notifications");

// The notifications the desktop shows now, by the id it gave them; each knows its page.
class Shown final : public QObject
{
    Q_OBJECT

public:
    static Shown &instance()
    {
        static auto *shown = new Shown(QCoreApplication::instance());
        return *shown;
    }

    void add(uint id, const std::shared_ptr<QWebEngineNotification> &notification)
    {
        QWebEngineNotification *page = notification.get();
        // The page took it back, or replaced it by one of the same tag.
        connect(page, &QWebEngineNotification::closed, this, [this, id] {
            m_byId.remove(id);
            QDBusConnection::sessionBus().asyncCall(
                QDBusMessage::createMethodCall(Service, Path, Interface,
                                               QStringLiteral("CloseNotification"))
                << id);
        });
        m_byId.insert(id, notification);
    }

    // The same tag from the same site takes the place of the one shown.
    uint replacedId(const QWebEngineNotification &notification) const
    {
        if (notification.tag().isEmpty())
            return 0;
        for (auto it = m_byId.cbegin(); it != m_byId.cend(); ++it) {
            if (it.value()->matches(&notification))
                return it.key();
        }
        return 0;
    }

private:
    explicit Shown(QObject *parent)
        : QObject(parent)
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.connect(Service, Path, Interface, QStringLiteral("ActionInvoked"), this,
                    SLOT(actionInvoked(uint, QString)));
        bus.connect(Service, Path, Interface, QStringLiteral("NotificationClosed"), this,
                    SLOT(notificationClosed(uint, uint)));
    }

private Q_SLOTS:
    // The user chose the notification (its default action).
    void actionInvoked(uint id, const QString &action)
    {
        const auto notification = m_byId.value(id);
        if (!notification)
            return;
        if (action != QLatin1String("default"))
            return;
        notification->click();
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window->isVisible() && !window->parentWidget()
                && window->windowType() == Qt::Window) {
                window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
                window->raise();
                window->activateWindow();
            }
        }
    }

    void notificationClosed(uint id, uint)
    {
        if (const auto notification = m_byId.take(id))
            notification->close();
    }

private:
    QHash<uint, std::shared_ptr<QWebEngineNotification>> m_byId;
};

} // namespace

void DesktopNotifications::presentFor(QWebEngineProfile &profile)
{
    profile.setNotificationPresenter(&DesktopNotifications::present);
}

void DesktopNotifications::present(std::unique_ptr<QWebEngineNotification> notification)
{
    Shown &shown = Shown::instance();
    const QString site = notification->origin().host();
    QDBusMessage call
        = QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("org.kestrav.Kestrav"));
    call << (site.isEmpty() ? QCoreApplication::applicationName() : site)
         << shown.replacedId(*notification) << QString() << notification->title()
         << notification->message().toHtmlEscaped()
         << QStringList { QStringLiteral("default"),
                          QCoreApplication::translate("DesktopNotifications", "Open") }
         << hints << qint32(-1);
    auto *watcher
        = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), &shown);
    QObject::connect(
        watcher, &QDBusPendingCallWatcher::finished, &shown,
        [&shown, page = std::shared_ptr<QWebEngineNotification>(std::move(notification))](
            QDBusPendingCallWatcher *done) {
            done->deleteLater();
            const QDBusPendingReply<uint> reply = *done;
            // No service, or it refused: nothing is shown, and nothing said.
            if (reply.isError())
                return;
            page->show();
            shown.add(reply.value(), page);
        });
}

#include "desktopnotifications.moc"
