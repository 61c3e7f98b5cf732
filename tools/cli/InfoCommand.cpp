#include <iostream>

#include "CameraSession.h"
#include "CliConstants.h"
#include "Commands.h"
#include "DeviceText.h"

namespace vantory_cli {

int runInfo(const CliOptions& options, const LineSink& out) {
    CameraSession session(nullptr);
    if (const int connected = session.connectOrReport(options, false); connected != kExitOk)
        return connected;
    Movoda::MvSdk& sdk = session.sdk();
    Movoda::DevInfo info;
    if (!session.command([&](Movoda::MvSdk& s) { return s.getDevInfo(info); })) {
        std::cerr << "vantory-cli: the camera did not give its device information" << std::endl;
        return kExitCommandFailed;
    }
    out("address: " + options.address);
    out("state: " + sdk.getStateString());
    for (const std::string& line : devInfoLines(info)) out(line);

    Movoda::DevConfig config;
    if (!session.command([&](Movoda::MvSdk& s) { return s.getDevConfig(config); })) {
        std::cerr << "vantory-cli: the camera did not give its configuration" << std::endl;
        return kExitCommandFailed;
    }
    for (const std::string& line : devConfigLines(config)) out(line);

    Movoda::LensParams lens;
    if (session.command([&](Movoda::MvSdk& s) { return s.getLensCalidata(lens); })) {
        for (const std::string& line : lensLines(lens)) out(line);
    } else {
        out("lens: not available");
    }
    return kExitOk;
}

}  // namespace vantory_cli
