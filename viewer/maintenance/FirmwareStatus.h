// The firmware update as the viewer shows it: status and progress in the device-settings
// window, results in the self-closing message box, diagnostics on standard output.
#pragma once

#include "FirmwareUpdate.h"
#include "MaintenanceOutput.h"

namespace vantory::maintenance {

class FirmwareStatus : public service::UpdateListener {
public:
    FirmwareStatus(MaintenanceOutput& output, bool english) : output_(output), english_(english) {}

    void progress(int value) override;
    void status(const service::Text& text, service::Tone tone) override;
    void message(const service::Text& text) override;
    void line(const std::string& text) override;
    void finished(service::UpdateOutcome) override {}

private:
    MaintenanceOutput& output_;
    bool english_;
};

}  // namespace vantory::maintenance
