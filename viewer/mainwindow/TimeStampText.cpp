#include "TimeStampText.h"

#include <cstdio>
#include <ctime>
#include <limits>

#include "FramePathConstants.h"
#include "mvsdk/Frame.h"

namespace vantory::framepath {

namespace {

constexpr std::uint64_t kNsPerMs = 1000000;
constexpr std::uint64_t kMsPerSecond = 1000;
constexpr std::uint64_t kSixDigits = 1000000;
constexpr int kGpsSecondBytes = 6;
constexpr int kGpsFractionBytes = 4;
constexpr int kBinaryDigits = 8;
constexpr std::uint8_t kFirstPrintable = 0x20;
constexpr std::uint8_t kLastPrintable = 0x7E;

template <std::size_t N, typename... Args>
void put(std::array<char, N>& out, const char* format, Args... args) {
    std::snprintf(out.data(), N, format, args...);
}

template <std::size_t N>
void clear(std::array<char, N>& out) {
    out[0] = '\0';
}

// The GPS receiver writes its time as text into the time fields; a byte that is not
// printable would end or garble the label, so it shows as '?'.
char printable(std::uint8_t byte) {
    return (byte >= kFirstPrintable && byte <= kLastPrintable) ? static_cast<char>(byte) : '?';
}

void gpsText(std::uint64_t seconds, std::uint32_t fraction, std::array<char, 11>& out) {
    int n = 0;
    for (int k = kGpsSecondBytes - 1; k >= 0; --k) out[n++] = printable(static_cast<std::uint8_t>(seconds >> (8 * k)));
    for (int k = kGpsFractionBytes - 1; k >= 0; --k) out[n++] = printable(static_cast<std::uint8_t>(fraction >> (8 * k)));
    out[n] = '\0';
}

void tickText(std::uint64_t seconds, unsigned milliseconds, std::array<char, 11>& out) {
    put(out, "%06u.%03u", static_cast<unsigned>(seconds % kSixDigits), milliseconds);
}

// PTP seconds are TAI; they become local civil time.
void ptpTexts(std::uint64_t seconds, unsigned milliseconds, StampTexts& texts) {
    texts.ptp = true;
    const std::int64_t limit = std::numeric_limits<std::int64_t>::max();
    const std::int64_t tai = seconds > static_cast<std::uint64_t>(limit) ? limit : static_cast<std::int64_t>(seconds);
    const std::time_t civil = static_cast<std::time_t>(tai - kPtpLeapSeconds);
    std::tm parts{};
    if (localtime_r(&civil, &parts) == nullptr) {
        put(texts.ptpDateText, "invalid.%03u", milliseconds);
        put(texts.fileTimeText, "000000.%03u", milliseconds);
    } else {
        put(texts.ptpDateText, "%02d-%02d-%02d %02d:%02d:%02d.%03u", parts.tm_year % 100, parts.tm_mon + 1,
            parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec, milliseconds);
        put(texts.fileTimeText, "%02d%02d%02d.%03u", parts.tm_hour, parts.tm_min, parts.tm_sec, milliseconds);
    }
    put(texts.timeText, ".%03u", milliseconds);
}

void timeTexts(std::uint8_t timeType, std::uint64_t seconds, unsigned milliseconds, StampTexts& texts) {
    if (timeType == kTimePtp) ptpTexts(seconds, milliseconds, texts);
    else tickText(seconds, milliseconds, texts.timeText);
}

void subFrameLine(const StampInput& in, int reference, StampTexts& texts) {
    const bool eligible = (in.dataFlags & kFlagSubFrames) != 0 && in.dataKind != kKindGrayscale;
    if (!eligible) {
        texts.subFrameUpdate = LineUpdate::Clear;
        clear(texts.subFrameLine);
        return;
    }
    if ((in.subFrameMask & 0x0E) == 0) {
        texts.subFrameUpdate = LineUpdate::Keep;
        return;
    }
    texts.subFrameUpdate = LineUpdate::Set;
    auto& line = texts.subFrameLine;
    std::size_t used = 0;
    auto append = [&](const char* format, auto... args) {
        if (used >= line.size()) return;
        const int n = std::snprintf(line.data() + used, line.size() - used, format, args...);
        if (n > 0) used += static_cast<std::size_t>(n);
    };
    line[0] = '\0';
    const std::int64_t first = static_cast<std::int64_t>(in.subFrameMs[static_cast<std::size_t>(reference)]);
    for (int k = 1; k < kSubFrameSlots; ++k) {
        if (k <= reference || (in.subFrameMask & (1u << k)) == 0) continue;
        const std::int64_t delta = static_cast<std::int64_t>(in.subFrameMs[static_cast<std::size_t>(k)]) - first;
        const long long wrapped = ((delta % 1000) + 1000) % 1000;
        append("T%d:%03lld ", k, wrapped);
    }
    append(" Id:%llu", static_cast<unsigned long long>(in.frameId));
    if (in.hasDistanceScale) append(" xmm: %u", static_cast<unsigned>(in.distanceScale));
    char bits[kBinaryDigits + 1];
    for (int b = 0; b < kBinaryDigits; ++b) bits[b] = (in.alignSecond & (0x80u >> b)) ? '1' : '0';
    bits[kBinaryDigits] = '\0';
    append(" al:%u:%s", static_cast<unsigned>(in.alignFirst), bits);
}

}  // namespace

int referenceSubFrame(std::uint8_t mask) {
    for (int k = 0; k < kSubFrameMaskBits; ++k) {
        if (mask & (1u << k)) return k;
    }
    return 0;
}

void buildStampTexts(const StampInput& in, StampTexts& texts) {
    texts.ptp = false;
    texts.ptpLineUpdated = false;
    clear(texts.timeText);
    if (in.version < kVersionWithSubFrames) {
        const unsigned milliseconds = static_cast<unsigned>((in.timeNsec / kNsPerMs) % kMsPerSecond);
        if (in.timeType == kTimeGps) gpsText(in.timeSec, in.timeNsec, texts.timeText);
        else timeTexts(in.timeType, in.timeSec, milliseconds, texts);
        texts.subFrameUpdate = LineUpdate::Clear;
        clear(texts.subFrameLine);
        return;
    }
    const int reference = referenceSubFrame(in.subFrameMask);
    const std::uint64_t stamp = in.subFrameMs[static_cast<std::size_t>(reference)];
    timeTexts(in.timeType, stamp / kMsPerSecond, static_cast<unsigned>(stamp % kMsPerSecond), texts);
    subFrameLine(in, reference, texts);
    texts.ptpLineUpdated = true;
    if (in.timeType == kTimePtp && in.locked != 0) put(texts.ptpLine, "PTP offset: %u us", in.ptpOffsetUs);
    else clear(texts.ptpLine);
}

StampInput stampInputOf(const Movoda::Frame& frame) {
    StampInput in;
    in.version = frame.version();
    in.timeType = frame.timeSource();
    in.locked = frame.timeLocked();
    in.timeSec = frame.timeSec();
    in.timeNsec = frame.timeNsec();
    in.dataFlags = frame.dataFlags();
    in.dataKind = frame.dataType();
    in.frameId = frame.frameId();
    if (frame.hasInfoBlock()) {
        const auto& block = frame.infoBlock();
        in.subFrameMask = block[kBlockSubFrameMaskAt];
        for (int k = 0; k < kSubFrameSlots; ++k) in.subFrameMs[static_cast<std::size_t>(k)] = frame.captureTimeMs(static_cast<std::size_t>(k));
        in.distanceScale = frame.distanceScale();
        in.hasDistanceScale = in.distanceScale > 1;
        in.alignFirst = block[kBlockAlignFirstAt];
        in.alignSecond = block[kBlockAlignSecondAt];
        in.ptpOffsetUs = frame.ptpOffsetUs();
    }
    return in;
}

}  // namespace vantory::framepath
