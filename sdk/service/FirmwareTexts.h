// What the firmware update tells the user, in English and Chinese.
#pragma once

#include <cstdint>

namespace vantory::service {

struct Text {
    const char* english;
    const char* chinese;
    const char* in(bool useEnglish) const { return useEnglish ? english : chinese; }
};

namespace fwtext {
inline constexpr Text kTitle{"Info", "提示"};
inline constexpr Text kNotConnected{"Confirm device is connected successfully",
                                    "请确定设备有连接成功"};
inline constexpr Text kFileDialog{"select firmware file", "选择固件文件"};
inline constexpr Text kWaitBootloader{"Wait into Bootloader", "等待进入Bootloader"};
inline constexpr Text kBootloaderFailed{"into Bootloader fail", "进入bootloader失败"};
inline constexpr Text kBeginRefused{"Fail: size", "失败: size"};
inline constexpr Text kTransferring{"Firmware is transferred, do not power off",
                                    "固件传输中，请勿断电"};
inline constexpr Text kLostDataStatus{"Fail: lost data", "失败: lost data"};
inline constexpr Text kLostDataBox{"Upgrade failed, data lost", "更新失败：数据丢失"};
inline constexpr Text kProgramming{"Firmware is programing, do not power off",
                                   "等待固件写入Flash,请勿断电"};
inline constexpr Text kFinishedStatus{"Finish", "完成"};
inline constexpr Text kFinishedBox{"update successed", "更新成功"};
inline constexpr Text kNoReport{"Fail", "失败"};
// Images refused before anything is sent.
inline constexpr Text kImageUnreadable{"Firmware file cannot be read", "无法读取固件文件"};
inline constexpr Text kImageEmpty{"Firmware file is empty", "固件文件为空"};
inline constexpr Text kImageTooLarge{"Firmware file is larger than 64 MiB", "固件文件大于64 MiB"};
}  // namespace fwtext

// The camera's result code as text (the same in both languages); empty for 0 and for codes
// it does not know.
Text firmwareResultText(uint8_t code);

}  // namespace vantory::service
