#include "EndSignals.h"

#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace voicememo {

namespace {

// The handler only writes a byte; the GUI thread reads it.
int signalPipe[2] = {-1, -1};

// Ctrl+C and Ctrl+\ in a terminal end the program as a desktop does.
constexpr int kEndSignals[] = {SIGTERM, SIGHUP, SIGINT, SIGQUIT};

void OnEndSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] ssize_t ignored = ::write(signalPipe[1], &byte, 1);
}

}  // namespace

EndSignals::EndSignals(std::function<void()> onEnd, QObject* parent) : QObject(parent), onEnd_(std::move(onEnd))
{
    if (signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    notifier_ = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char byte;
        [[maybe_unused]] ssize_t ignored = ::read(signalPipe[0], &byte, 1);
        onEnd_();
    });
    struct sigaction action {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kEndSignals)
        ::sigaction(signal, &action, nullptr);
}

EndSignals::~EndSignals()
{
    for (int signal : kEndSignals)
        ::signal(signal, SIG_DFL);
}

}  // namespace voicememo
