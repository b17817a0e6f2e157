#include "platform/desktop/system/desktopservices.h"

#include "platform/api/platformerror.h"

#include <QApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <QUrl>

namespace {

constexpr int FileManagerTimeoutMs = 5'000;

void requireFile(const QString &path)
{
    if (!QFileInfo::exists(path))
        throw PlatformError(
            ErrorCode::FileNotFound,
            QCoreApplication::translate("DesktopFiles", "The file %1 is no longer there.")
                .arg(QDir::toNativeSeparators(path)));
}

void openWithDesktop(const QUrl &url)
{
    if (!QDesktopServices::openUrl(url))
        throw PlatformError(
            ErrorCode::PathFileAccess,
            QCoreApplication::translate("DesktopFiles", "No program of the desktop opens %1.")
                .arg(url.toDisplayString(QUrl::PreferLocalFile)));
}

} // namespace

DesktopMessageBox::DesktopMessageBox(QString title)
    : m_title(std::move(title))
{
}

void DesktopMessageBox::MsgBox(const QString &prompt)
{
    QMessageBox box(QMessageBox::NoIcon, m_title, prompt, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

DesktopScreenPointer::~DesktopScreenPointer()
{
    setMousePointer(Default);
}

void DesktopScreenPointer::setMousePointer(int pointer)
{
    // One override cursor at most, so that "default" always takes the hourglass away,
    // however many times it was set.
    if (pointer == Hourglass) {
        if (m_pointer == Hourglass)
            return;
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    } else if (m_pointer == Hourglass) {
        QApplication::restoreOverrideCursor();
    }
    m_pointer = pointer == Hourglass ? Hourglass : Default;
}

QString DesktopAppInfo::Path() const
{
    return QCoreApplication::applicationDirPath();
}

QString DesktopAppInfo::DataPath() const
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString DesktopAppInfo::Title() const
{
    return QCoreApplication::applicationName();
}

void DesktopAppInfo::End()
{
    QCoreApplication::exit(0);
}

void DesktopFileHandlers::openFile(const QString &path)
{
    requireFile(path);
    openWithDesktop(QUrl::fromLocalFile(path));
}

void DesktopFileHandlers::showInFolder(const QString &path)
{
    requireFile(path);
    // The file manager selects the file in its folder where it offers that; the folder alone,
    // opened like any file, is what every desktop can do.
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList { QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString() }
         << QString();
    const QDBusMessage answer
        = QDBusConnection::sessionBus().call(call, QDBus::Block, FileManagerTimeoutMs);
    if (answer.type() == QDBusMessage::ReplyMessage)
        return;
    openWithDesktop(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}
