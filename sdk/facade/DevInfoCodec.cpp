#include "facade/DevInfoCodec.h"

#include <algorithm>
#include <string>

#include "facade/WireBytes.h"

namespace Movoda::facade {

namespace {

namespace a {
constexpr size_t kSn = 7, kSnBytes = 28;
constexpr size_t kFw = 35, kFwBytes = 18;
constexpr size_t kBoot = 53, kBootBytes = 18;
constexpr size_t kIp = 71, kNetmask = 75, kGateway = 79, kMac = 83;
constexpr size_t kIdWord1 = 89, kIdWord2 = 91;
constexpr size_t kUdpDestIp = 93, kUdpDestPort = 97;
constexpr size_t kStatusA = 99;
constexpr size_t kCalibrated = 102;
constexpr size_t kFactoryFlags = 115;
}  // namespace a

namespace b {
constexpr size_t kIp = 0, kNetmask = 4, kGateway = 8;
constexpr size_t kLongHeader = 12, kShortHeader = 4;
constexpr size_t kLongHeaderAbove = 83;  // sizes above this carry mask and gateway
// Offsets after the header of h bytes.
constexpr size_t kMac = 0;
constexpr size_t kFw = 6, kFwBytes = 18;
constexpr size_t kSn = 24, kSnBytes = 28;
constexpr size_t kBoot = 52, kBootBytes = 14;
constexpr size_t kIdWord1 = 67, kIdWord2 = 69;
constexpr size_t kCalibrated = 75;
constexpr size_t kCalibratedAbove = 88;  // sizes above this carry the three flags
constexpr size_t kThirdFlagFrom = 90;
// Sizes above kExtendedAbove carry the stream destination at fixed offsets.
constexpr size_t kExtendedAbove = 98;
constexpr size_t kExtCalibrated = 91, kExtUdpDestIp = 92, kExtUdpDestPort = 96, kExtStatusA = 98;
}  // namespace b

template <size_t N>
void copyBytes(std::array<uint8_t, N>& to, const uint8_t* from) {
    std::copy(from, from + N, to.begin());
}

void decodeA(const uint8_t* d, DevInfo& info) {
    info.sn = wire::getText(d + a::kSn, a::kSnBytes);
    info.fwVersion = wire::getText(d + a::kFw, a::kFwBytes);
    info.bootVersion = wire::getText(d + a::kBoot, a::kBootBytes);
    copyBytes(info.ip, d + a::kIp);
    copyBytes(info.netmask, d + a::kNetmask);
    copyBytes(info.gateway, d + a::kGateway);
    copyBytes(info.mac, d + a::kMac);
    info.idWord1 = wire::getU16(d + a::kIdWord1, false);
    info.idWord2 = wire::getU16(d + a::kIdWord2, false);
    copyBytes(info.udpDestIp, d + a::kUdpDestIp);
    info.udpDestPort = wire::getU16(d + a::kUdpDestPort, false);
    info.statusA = d[a::kStatusA];
    info.isCalibrated.fill(d[a::kCalibrated]);
    info.factoryFlags = d[a::kFactoryFlags];
}

void decodeB(const uint8_t* d, size_t size, DevInfo& info) {
    const size_t h = size > b::kLongHeaderAbove ? b::kLongHeader : b::kShortHeader;
    copyBytes(info.ip, d + b::kIp);
    if (h == b::kLongHeader) {
        copyBytes(info.netmask, d + b::kNetmask);
        copyBytes(info.gateway, d + b::kGateway);
    }
    copyBytes(info.mac, d + h + b::kMac);
    info.fwVersion = wire::getText(d + h + b::kFw, b::kFwBytes);
    info.sn = wire::getText(d + h + b::kSn, b::kSnBytes);
    info.bootVersion = wire::getText(d + h + b::kBoot, b::kBootBytes);
    info.idWord1 = wire::getU16(d + h + b::kIdWord1, true);
    info.idWord2 = wire::getU16(d + h + b::kIdWord2, true);
    info.factoryFlags = 0;
    if (size > b::kCalibratedAbove) {
        info.isCalibrated[0] = d[h + b::kCalibrated];
        info.isCalibrated[1] = d[h + b::kCalibrated + 1];
        info.isCalibrated[2] = size < b::kThirdFlagFrom ? 0 : d[h + b::kCalibrated + 2];
    }
    if (size > b::kExtendedAbove) {
        const uint8_t flags = d[b::kExtCalibrated];
        for (size_t i = 0; i < info.isCalibrated.size(); ++i)
            info.isCalibrated[i] = static_cast<uint8_t>((flags >> i) & 1);
        for (size_t i = 0; i < info.udpDestIp.size(); ++i)
            info.udpDestIp[i] = d[b::kExtUdpDestIp + info.udpDestIp.size() - 1 - i];
        info.udpDestPort = wire::getU16(d + b::kExtUdpDestPort, true);
        info.statusA = d[b::kExtStatusA];
    }
}

}  // namespace

DevInfoLayout devInfoLayout(size_t size) {
    if (size == kDevInfoSizeA) return DevInfoLayout::A;
    if (size >= kDevInfoMinSizeB) return DevInfoLayout::B;
    return DevInfoLayout::None;
}

bool decodeDevInfo(const uint8_t* data, size_t size, DevInfo& info) {
    if (data == nullptr) return false;
    switch (devInfoLayout(size)) {
        case DevInfoLayout::A:
            decodeA(data, info);
            break;
        case DevInfoLayout::B:
            decodeB(data, size, info);
            break;
        case DevInfoLayout::None:
            return false;
    }
    info.idText = std::to_string(info.idWord1) + " " + std::to_string(info.idWord2);
    return true;
}

}  // namespace Movoda::facade
