#include <iostream>

#include "CameraSession.h"
#include "CliConstants.h"
#include "Commands.h"
#include "DeviceText.h"

namespace vantory_cli {

int runInfo(const CliOptions& options, const LineSink& out) {
    CameraSession session(nullptr);
    std::string why;
    if (!session.connect(options.address, 0, std::chrono::milliseconds(kConnectTimeoutMs), why)) {
        std::cerr << "vantory-cli: cannot connect: " << why << std::endl;
        return kExitNoConnection;
    }
    Movoda::MvSdk& sdk = session.sdk();
    Movoda::DevInfo info;
    if (!sdk.getDevInfo(info)) {
        std::cerr << "vantory-cli: the camera did not give its device information" << std::endl;
        return kExitCommandFailed;
    }
    out("address: " + options.address);
    out("state: " + sdk.getStateString());
    for (const std::string& line : devInfoLines(info)) out(line);

    Movoda::DevConfig config;
    if (!sdk.getDevConfig(config)) {
        std::cerr << "vantory-cli: the camera did not give its configuration" << std::endl;
        return kExitCommandFailed;
    }
    for (const std::string& line : devConfigLines(config)) out(line);

    Movoda::LensParams lens;
    if (sdk.getLensCalidata(lens)) {
        for (const std::string& line : lensLines(lens)) out(line);
    } else {
        out("lens: not available");
    }
    return kExitOk;
}

}  // namespace vantory_cli
