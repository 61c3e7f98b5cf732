#include "SettingsReset.h"

#include <QCoreApplication>
#include <QDir>

// Repairs the viewer's settings files in the working folder. The exit code is 0 in
// every case because installer scripts call the tool unconditionally; files that could
// not be written are named on standard error.
int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    reset::runCommand(arguments, QDir::current());
    return 0;
}
