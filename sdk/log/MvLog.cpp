#include "mvsdk/MvLog.h"

#include "log/LogWriter.h"

namespace Movoda {

namespace {

LogWriter& processLog() {
    static LogWriter writer;
    return writer;
}

}  // namespace

void init_logger(const std::string& directory) {
    processLog().init(directory);
}

void sdkLog(int level, const std::string& tag, const std::string& message,
            const std::string& instance) {
    processLog().sdkLine(level, tag, message, instance);
}

void appLog(const std::string& tag, const std::string& message) {
    processLog().appLine(tag, message);
}

}  // namespace Movoda
