#include "frame/FrameSettings.h"

#include <atomic>

namespace Movoda::frame_settings {
namespace {
std::atomic<uint16_t> gBinX{0};
std::atomic<uint16_t> gBinY{0};
std::atomic<uint32_t> gReflectivityLimit{0};
}  // namespace

void setSdkBinning(uint16_t x, uint16_t y) {
    gBinX.store(x, std::memory_order_relaxed);
    gBinY.store(y, std::memory_order_relaxed);
}
uint16_t sdkBinningX() { return gBinX.load(std::memory_order_relaxed); }
uint16_t sdkBinningY() { return gBinY.load(std::memory_order_relaxed); }

void setReflectivityLimit(uint32_t limit) {
    gReflectivityLimit.store(limit, std::memory_order_relaxed);
}
uint32_t reflectivityLimit() { return gReflectivityLimit.load(std::memory_order_relaxed); }

}  // namespace Movoda::frame_settings
