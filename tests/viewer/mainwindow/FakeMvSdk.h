// A stand-in for the SDK facade, linked instead of the real one, so the main window
// can be driven without a camera: it records every call and lets the test play the
// SDK's part (state, callbacks from another thread).
#pragma once

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "mvsdk/MvSdk.h"

namespace fakesdk {

struct State {
    std::mutex mutex;
    std::vector<std::string> calls;  // "start 4", "stop", "setConnectAddress 1.2.3.4", ...
    bool connected = false;
    uint32_t devState = 0;
    std::string stateString = "NotStartup";
    uint8_t playbackMode = 0;
    uint32_t reportRate = 0;
    bool customCmdOk = false;
    std::vector<uint8_t> customCmdResponse;
    Movoda::EventCallback eventCallback;
    Movoda::FrameCallback frameCallback;
    Movoda::FrameTap frameTap;
    std::thread::id imuExtrinsicThread;  // where the last extrinsic read ran
    int instances = 0;
    int destroyed = 0;
};

State& state();
void reset();
std::vector<std::string> calls();
// Calls the registered event callback, as the SDK's event thread would.
void fireEvent(const std::string& name, uint8_t cmdId, std::vector<uint8_t> data,
               uint8_t reportByte = 0);

}  // namespace fakesdk
