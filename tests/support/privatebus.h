#pragma once

#include <csignal>
#include <cstdio>
#include <QFile>
#include <QTemporaryFile>

// A D-Bus session of the test's own, which starts no service of the machine's: what answers on
// it is what the test starts. It can be made before the application connects to a bus, and it
// ends with the object.
class PrivateBus
{
public:
    PrivateBus()
    {
        if (!m_config.open())
            return;
        m_config.write("<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen>"
                       "<auth>EXTERNAL</auth><policy context=\"default\">"
                       "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                       "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>");
        m_config.flush();
        const QByteArray command = "dbus-daemon --fork --nopidfile --print-address=1 "
                                   "--print-pid=1 --config-file="
            + QFile::encodeName(m_config.fileName());
        FILE *daemon = ::popen(command.constData(), "r");
        char address[512] = {};
        char pid[32] = {};
        if (daemon && std::fgets(address, sizeof address, daemon)
            && std::fgets(pid, sizeof pid, daemon)) {
            qputenv("DBUS_SESSION_BUS_ADDRESS", QByteArray(address).trimmed());
            m_pid = QByteArray(pid).trimmed().toInt();
        }
        if (daemon)
            ::pclose(daemon);
    }
    ~PrivateBus()
    {
        if (m_pid > 0)
            ::kill(m_pid, SIGTERM);
    }
    PrivateBus(const PrivateBus &) = delete;
    PrivateBus &operator=(const PrivateBus &) = delete;

    bool running() const { return m_pid > 0; }

private:
    QTemporaryFile m_config;
    int m_pid = 0;
};
