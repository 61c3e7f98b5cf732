#include "SigintBridge.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>

namespace vantory {
namespace {

std::atomic<int> g_writeFd{-1};

void onSigint(int) {
    const int fd = g_writeFd.load();
    if (fd >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t ignored = ::write(fd, &byte, 1);
    }
}

}  // namespace

SigintBridge::SigintBridge(std::function<void()> onInterrupt, QObject* parent)
    : QObject(parent), onInterrupt_(std::move(onInterrupt)) {}

SigintBridge::~SigintBridge() {
    if (fds_[1] >= 0) {
        ::signal(SIGINT, SIG_DFL);
        g_writeFd.store(-1);
    }
    for (int& fd : fds_) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}

bool SigintBridge::install() {
    if (fds_[0] >= 0) return true;
    if (::pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    notifier_ = new QSocketNotifier(fds_[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &SigintBridge::drain);
    g_writeFd.store(fds_[1]);
    struct sigaction action {};
    action.sa_handler = onSigint;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    return true;
}

void SigintBridge::drain() {
    char buffer[16];
    bool interrupted = false;
    while (::read(fds_[0], buffer, sizeof(buffer)) > 0) interrupted = true;
    if (interrupted && onInterrupt_) onInterrupt_();
}

}  // namespace vantory
