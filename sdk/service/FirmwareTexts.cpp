#include "FirmwareTexts.h"

namespace vantory::service {

namespace {
constexpr const char* kResultTexts[] = {
    "",
    "升级失败:size",
    "升级失败:flash 擦写错误",
    "升级失败:固件数据校验失败",
    "升级失败: 数据迁移失败",
};
}  // namespace

Text firmwareResultText(uint8_t code) {
    const char* text =
        code < sizeof(kResultTexts) / sizeof(kResultTexts[0]) ? kResultTexts[code] : "";
    return {text, text};
}

}  // namespace vantory::service
