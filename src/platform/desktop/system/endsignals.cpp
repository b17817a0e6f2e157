#include "platform/desktop/system/endsignals.h"

#include <array>
#include <csignal>
#include <fcntl.h>
#include <QSocketNotifier>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::array Handled { SIGTERM, SIGINT, SIGHUP };

// Written by the handler, read by the event loop: a handler may do nothing more than write.
int signalPipe[2] = { -1, -1 };

void onSignal(int number)
{
    const char byte = char(number);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[0], &byte, 1);
}

} // namespace

EndSignals::EndSignals(std::function<void()> onEnd, QObject *parent)
    : QObject(parent)
    , m_onEnd(std::move(onEnd))
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return; // the signals keep their default: the program still ends, only less cleanly
    for (const int end : signalPipe)
        ::fcntl(end, F_SETFL, O_NONBLOCK);
    m_notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(signalPipe[1], bytes, sizeof bytes) > 0) { }
        m_onEnd();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : Handled)
        ::sigaction(number, &action, nullptr);
}

EndSignals::~EndSignals()
{
    if (!m_notifier)
        return;
    for (const int number : Handled)
        std::signal(number, SIG_DFL);
    delete m_notifier;
    for (int &end : signalPipe) {
        ::close(end);
        end = -1;
    }
}
