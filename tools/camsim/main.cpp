// vantory-camsim: runs the simulated camera until SIGINT or SIGTERM; SIGUSR1 prints the
// counters.
#include <pthread.h>
#include <csignal>
#include <iostream>

#include "CameraSim.h"
#include "SimOptions.h"
#include "VantoryBuildInfo.h"

int main(int argc, char** argv) {
    if (vantory::buildinfo::hasOption(argc, argv, "--version")) {
        std::cout << "vantory-camsim " << vantory::buildinfo::kVersion << "\n";
        return 0;
    }
    const camsim::ParseResult parsed = camsim::parseOptions(argc, argv);
    if (parsed.help) {
        std::cout << camsim::helpText();
        return 0;
    }
    if (!parsed.options) {
        std::cerr << "vantory-camsim: " << parsed.error << "\nTry --help.\n";
        return 2;
    }

    // Block the signals before any thread starts so that only sigwait below sees them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    camsim::CameraSim camera(*parsed.options);
    std::string error;
    if (!camera.start(&error)) {
        std::cerr << "vantory-camsim: " << error << "\n";
        return 1;
    }
    const auto& o = camera.options();
    const auto id = camera.identity();
    std::cout << "vantory-camsim: " << id.model << " " << id.serial << " firmware " << id.firmware
              << (o.legacy ? " (legacy)" : "") << ", scene " << o.scene.name << "\n";
    if (!o.replayDir.empty()) std::cout << camera.replaySummary() << "\n";
    if (o.usbPath.empty()) {
        std::cout << "command channel tcp " << o.bindAddress << ":" << o.commandPort << "\n";
    } else {
        std::cout << "command channel " << o.usbPath << " -> " << camera.usbDevicePath() << "\n";
    }
    std::cout.flush();

    for (;;) {
        int received = 0;
        if (sigwait(&signals, &received) != 0) break;
        if (received == SIGUSR1) {
            std::cout << camera.countersText();
            std::cout.flush();
            continue;
        }
        break;
    }
    camera.stop();
    std::cout << camera.countersText();
    return 0;
}
