#pragma once

#include "privatebus.h"
#include "testsupport.h"

#include <optional>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTest>

// Files under the test's home that hold the text, in UTF-8 or UTF-16: a secret must be in none.
inline QStringList filesHolding(const QString &text)
{
    QStringList found;
    QDirIterator files(qEnvironmentVariable("HOME"), QDir::Files | QDir::Hidden | QDir::System,
                       QDirIterator::Subdirectories);
    const QByteArray wide(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    while (files.hasNext()) {
        const QString path = files.next();
        const QByteArray bytes = readAll(path);
        if (bytes.contains(text.toUtf8()) || bytes.contains(wide))
            found.append(path);
    }
    return found;
}

// A D-Bus session of the test's own, which starts no service by itself, and the desktop's
// keyring daemon on it once asked for. Both end with the object.
class PrivateKeyring
{
public:
    // The keyring daemon leaves with the bus it belongs to.
    bool startBus()
    {
        m_bus.emplace();
        return m_bus->running();
    }

    bool startKeyring()
    {
        if (m_keyringStarted)
            return true;
        QProcess daemon;
        daemon.start(QStringLiteral("gnome-keyring-daemon"),
                     { QStringLiteral("--unlock"), QStringLiteral("--components=secrets") });
        if (!daemon.waitForStarted())
            return false;
        daemon.write("test-keyring-password");
        daemon.closeWriteChannel();
        if (!daemon.waitForFinished(20000) || daemon.exitCode() != 0)
            return false;
        // The daemon makes the fresh keyring after it has answered; the file shows it is there.
        const QString file = qEnvironmentVariable("XDG_DATA_HOME") + "/keyrings/login.keyring";
        m_keyringStarted = QTest::qWaitFor([&file] { return QFile::exists(file); }, 20000);
        return m_keyringStarted;
    }

private:
    std::optional<PrivateBus> m_bus;
    bool m_keyringStarted = false;
};
