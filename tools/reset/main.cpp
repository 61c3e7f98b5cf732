#include "ResetConstants.h"
#include "SettingsReset.h"
#include "VantoryBuildInfo.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

// Repairs the viewer's settings files in the working folder. The exit code is 0 in
// every case because installer scripts call the tool unconditionally; a command line it
// does not understand gets the usage on standard error, and files that could not be
// written are named there.
int main(int argc, char* argv[]) {
    using vantory::buildinfo::hasOption;
    if (hasOption(argc, argv, "--help") || hasOption(argc, argv, "-h")) {
        std::fputs(reset::kUsageText, stdout);
        return 0;
    }
    if (hasOption(argc, argv, "--version")) {
        std::printf("vantory-reset %s\n", vantory::buildinfo::kVersion);
        return 0;
    }

    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    if (reset::suffixesFor(arguments.value(0), arguments.value(1)).isEmpty()) {
        std::fputs(reset::kUsageText, stderr);
        return 0;
    }
    reset::runCommand(arguments, QDir::current());
    return 0;
}
