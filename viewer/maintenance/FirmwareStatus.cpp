#include "FirmwareStatus.h"

#include <iostream>

#include "MaintenanceTexts.h"

namespace vantory::maintenance {

void FirmwareStatus::progress(int value) {
    output_.setProgress(value, false);
}

void FirmwareStatus::status(const service::Text& text, service::Tone tone) {
    output_.setStatus(textIn(text, english_),
                      tone == service::Tone::Green ? kStyleGreen : kStyleRed,
                      kTargetDeviceSettings);
}

void FirmwareStatus::message(const service::Text& text) {
    output_.timedMessage(textIn(service::fwtext::kTitle, english_), textIn(text, english_));
}

void FirmwareStatus::line(const std::string& text) {
    std::cout << text << std::endl;
}

}  // namespace vantory::maintenance
