#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "facade/AddressText.h"
#include "facade/CalibrationCodec.h"
#include "facade/CommandPayloads.h"
#include "facade/FactoryPayloads.h"

using namespace Movoda;
using namespace Movoda::facade;
using Bytes = std::vector<uint8_t>;

namespace {

struct RequestCase {
    const char* name;
    std::optional<CommandRequest> request;
    uint8_t id;
    Bytes payload;
    uint32_t timeoutMs;
};

void PrintTo(const RequestCase& c, std::ostream* os) {
    *os << c.name;
}

class RequestBytes : public ::testing::TestWithParam<RequestCase> {};

TEST_P(RequestBytes, MatchesTheCommandTable) {
    const RequestCase& c = GetParam();
    ASSERT_TRUE(c.request.has_value());
    EXPECT_EQ(c.request->id, c.id);
    EXPECT_EQ(c.request->payload, c.payload);
    EXPECT_EQ(c.request->timeoutMs, c.timeoutMs);
}

const Bytes kMovoda = {0x4D, 0x4F, 0x56, 0x4F, 0x44, 0x41};

INSTANTIATE_TEST_SUITE_P(
    Everyday, RequestBytes,
    ::testing::Values(
        RequestCase{"start_distance", startRequest(IMG_DISTANCE, false), 1, {1, 1}, 300},
        RequestCase{"start_amplitude_flag", startRequest(IMG_AMPLITUDE, true), 1, {2, 0}, 300},
        RequestCase{"start_grayscale", startRequest(IMG_GRAYSCALE, false), 1, {3, 1}, 300},
        RequestCase{"start_cloud", startRequest(IMG_POINTCLOUD, false), 1, {1, 1}, 300},
        RequestCase{"start_cloudamp", startRequest(IMG_POINTCLOUDAMP, false), 1, {2, 1}, 300},
        RequestCase{"stop", stopRequest(), 2, {}, 300},
        RequestCase{"set_ip",
                    setIpRequest("192.168.1.10", "255.255.255.0", "192.168.1.1"),
                    3,
                    {192, 168, 1, 10, 255, 255, 255, 0, 192, 168, 1, 1},
                    300},
        RequestCase{"dev_info", getDevInfoRequest(), 4, {}, 2000},
        RequestCase{"dev_config", getDevConfigRequest(), 5, {}, 300},
        RequestCase{"int_times_le",
                    setIntTimesusRequest(100, 1000, 0, 0, 0, 0, false),
                    8,
                    {0xE8, 0x03, 0, 0, 0, 0, 0x64, 0x00, 0, 0, 0, 0},
                    300},
        RequestCase{"int_times_be",
                    setIntTimesusRequest(0x0102, 0x0304, 0x0506, 0x0708, 0x090A, 0x0B0C, true),
                    8,
                    {0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x01, 0x02, 0x09, 0x0A, 0x0B, 0x0C},
                    300},
        RequestCase{"min_amplitude_be", setMinAmplitudeRequest(0x0102, true), 9, {0x01, 0x02}, 300},
        RequestCase{
            "min_amplitude_le", setMinAmplitudeRequest(0x0102, false), 9, {0x02, 0x01}, 300},
        RequestCase{"hdr_temporal", setHdrModeRequest(HDR_TAMPORAL), 10, {2}, 300},
        RequestCase{"hdr_spatial", setHdrModeRequest(HDR_SPATIAL), 10, {1}, 300},
        RequestCase{"hdr_off", setHdrModeRequest(HDR_OFF), 10, {0}, 300},
        RequestCase{"hdr_unknown", setHdrModeRequest(9), 10, {0}, 300},
        RequestCase{"reset_dev", resetDevRequest(), 13, kMovoda, 300},
        RequestCase{"restore_factory", restoreFactoryRequest(), 14, kMovoda, 300},
        RequestCase{"lens_read", getLensCalidataRequest(), 18, {}, 1000},
        RequestCase{"udp_dest_be",
                    setUdpDestIpRequest("192.168.1.5", 7687, true),
                    19,
                    {192, 168, 1, 5, 0x1E, 0x07},
                    300},
        RequestCase{"udp_dest_le",
                    setUdpDestIpRequest("10.0.0.2", 7688, false),
                    19,
                    {10, 0, 0, 2, 0x08, 0x1E},
                    300},
        RequestCase{"imu_read", getImuExtrinsicRequest(), 29, {}, 1000},
        RequestCase{"roi_full_be",
                    setRoiRequest(0, 0, 319, 239, true),
                    51,
                    {0, 0, 0, 0, 0x01, 0x3F, 0x00, 0xEF},
                    300},
        RequestCase{"roi_le",
                    setRoiRequest(10, 20, 300, 200, false),
                    51,
                    {10, 0, 20, 0, 0x2C, 0x01, 200, 0},
                    300},
        RequestCase{"mod_freq_4_8m", setModFreqRequest(FREQ_4_8M), 52, {5}, 300},
        RequestCase{"mod_freq_24m", setModFreqRequest(FREQ_24M), 52, {2}, 300},
        RequestCase{"mod_freq_0_75m", setModFreqRequest(FREQ_0_75M), 52, {5}, 300},
        RequestCase{"max_fps", setMaxFpsRequest(25), 56, {25}, 300}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Factory, RequestBytes,
    ::testing::Values(
        RequestCase{"binning_1_0", setBinningRequest(1, 0), 12, {0x10}, 1000},
        RequestCase{"binning_1_1", setBinningRequest(1, 1), 12, {0x11}, 1000},
        RequestCase{"compensation", setCompensationOnoffRequest(1, 0), 161, {1, 0}, 1000},
        RequestCase{"serial",
                    setDevInfoRequest("K150SUPRA7"),
                    150,
                    {'K', '1', '5', '0', 'S', 'U', 'P', 'R', 'A', '7'},
                    1000},
        RequestCase{"integration_level", setIntgrtionLevelRequest(3), 57, {3}, 1000},
        RequestCase{"vcsel", setVcselOnOffRequest(2), 53, {2}, 1000},
        RequestCase{
            "mac_clear", macClearRequest(), 151, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 1000},
        RequestCase{"mac",
                    setMacRequest({0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F}),
                    151,
                    {0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F},
                    1000},
        RequestCase{"temp_coeff_be",
                    setTemprtCoefficientRequest(1000, 0, true),
                    163,
                    {0x00, 0x00, 0x03, 0xE8, 0x00},
                    3000},
        RequestCase{"temp_coeff_le",
                    setTemprtCoefficientRequest(1000, 0, false),
                    163,
                    {0xE8, 0x03, 0x00, 0x00, 0x00},
                    3000},
        RequestCase{"temp_coeff_negative",
                    setTemprtCoefficientRequest(-2, 4, false),
                    163,
                    {0xFE, 0xFF, 0xFF, 0xFF, 0x04},
                    3000},
        RequestCase{"temp_coeff_read", getTemprtCoefficientRequest(0), 164, {0}, 1000},
        RequestCase{"lens_write_defaults",
                    writeLensParamsRequest(LensParams{}),
                    168,
                    {0, 0, 0x2A, 0x43, 0, 0, 0x2A, 0x43, 0, 0, 0x20, 0x43, 0, 0, 0xF0, 0x42, 0, 0,
                     0, 0, 0,    0,    0, 0, 0,    0,    0, 0, 0,    0,    0, 0, 0,    0,    0, 0},
                    3000},
        RequestCase{"imu_write_identity",
                    writeImuExtrinsicRequest(ImuExtrinsic{}),
                    169,
                    {0, 0, 0x80, 0x3F, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                     0, 0, 0,    0,    0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
                    3000},
        RequestCase{"save_config", saveConfigRequest(), 31, kMovoda, 300},
        RequestCase{"bootloader_text", bootloaderTextRequest(), 47, {}, 1000}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RequestRefusals, InvalidArgumentsProduceNoRequest) {
    EXPECT_FALSE(startRequest(7, false).has_value());
    EXPECT_FALSE(startRequest(5, false).has_value());
    EXPECT_FALSE(setRoiRequest(0, 0, 320, 239, true).has_value());
    EXPECT_FALSE(setRoiRequest(10, 0, 5, 239, true).has_value());
    EXPECT_FALSE(setRoiRequest(0, 240, 0, 240, true).has_value());
    EXPECT_FALSE(setRoiRequest(0, 5, 0, 4, true).has_value());
    EXPECT_TRUE(setRoiRequest(319, 239, 319, 239, true).has_value());
    EXPECT_FALSE(setIpRequest("192.168.1.10", "255.255.255.0", "192.168.1").has_value());
    EXPECT_FALSE(setIpRequest("192.168.1.256", "255.255.255.0", "192.168.1.1").has_value());
    EXPECT_FALSE(setUdpDestIpRequest("localhost", 7687, true).has_value());
}

TEST(RequestHelpers, PointCloudTypesAndIntegrationLog) {
    EXPECT_FALSE(isPointCloudType(IMG_DISTANCE));
    EXPECT_FALSE(isPointCloudType(IMG_GRAYSCALE));
    EXPECT_TRUE(isPointCloudType(IMG_POINTCLOUD));
    EXPECT_TRUE(isPointCloudType(IMG_POINTCLOUDAMP));
    EXPECT_EQ(setIntTimesusLogText(100, 1000, 0, 0, 0, 0), "1000 0 0 100");
    EXPECT_EQ(setIntTimesusLogText(100, 1000, 200, 300, 0, 50), "1000 200 300 100 50");
    EXPECT_EQ(setIntTimesusLogText(1, 2, 3, 4, 5, 6), "2 3 4 1 5 6");
}

TEST(AddressText, Ipv4TextsAcceptedAndRefused) {
    struct Row {
        const char* text;
        std::optional<Ipv4Bytes> bytes;
    };
    const Row rows[] = {
        {"0.0.0.0", Ipv4Bytes{0, 0, 0, 0}},
        {"255.255.255.255", Ipv4Bytes{255, 255, 255, 255}},
        {"010.001.1.99", Ipv4Bytes{10, 1, 1, 99}},
        {"192.168.100.249", Ipv4Bytes{192, 168, 100, 249}},
        {"256.0.0.1", std::nullopt},
        {"1.2.3.4.5", std::nullopt},
        {"1.2.3", std::nullopt},
        {"1..2.3", std::nullopt},
        {" 1.2.3.4", std::nullopt},
        {"1.2.3.4 ", std::nullopt},
        {"1234.1.1.1", std::nullopt},
        {"1.2.3.-4", std::nullopt},
        {"1.2.3.4.", std::nullopt},
        {"0001.1.1.1", std::nullopt},
        {"300.1.1.1", std::nullopt},
        {"1.2.3.4/24", std::nullopt},
        {"", std::nullopt},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(parseIpv4Text(r.text), r.bytes) << r.text;
        EXPECT_EQ(isValidIpv4Text(r.text), r.bytes.has_value()) << r.text;
    }
}

TEST(AddressText, MacTextsAcceptedAndRefused) {
    EXPECT_EQ(parseMacText("0a-1B-2c-3D-4e-5F"), (MacBytes{0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F}));
    EXPECT_EQ(parseMacText("FF-ff-00-99-aA-10"), (MacBytes{0xFF, 0xFF, 0x00, 0x99, 0xAA, 0x10}));
    for (const char* bad : {"0a:1B:2c:3D:4e:5F", "0a-1B-2c-3D-4e", "0a-1B-2c-3D-4e-5F-",
                            "0g-1B-2c-3D-4e-5F", "0a-1B-2c-3D-4e-5", " 0a-1B-2c-3D-4e-5F", ""})
        EXPECT_FALSE(parseMacText(bad).has_value()) << bad;
}

TEST(FactoryAnswers, TemperatureCoefficientAndBootloaderText) {
    const Bytes be = {0x00, 0x00, 0x03, 0xE8, 0x77};
    const Bytes le = {0xE8, 0x03, 0x00, 0x00};
    EXPECT_EQ(decodeTemprtCoefficient(be.data(), be.size(), true), 1000u);
    EXPECT_EQ(decodeTemprtCoefficient(le.data(), le.size(), false), 1000u);
    EXPECT_FALSE(decodeTemprtCoefficient(le.data(), 3, false).has_value());

    const Bytes text = {'B', 'L', '-', '1', '.', '2', 0, 'x', 'y', 'z', 'w'};
    EXPECT_EQ(decodeBootloaderText(text.data(), text.size()), std::string("BL-1.2"));
    const Bytes full = {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L'};
    EXPECT_EQ(decodeBootloaderText(full.data(), full.size()), std::string("ABCDEFGHIJKL"));
    EXPECT_FALSE(decodeBootloaderText(full.data(), 10).has_value());
}

TEST(CalibrationRecords, LensBytesDecodeInFieldOrder) {
    Bytes bytes = {0, 0, 0x2A, 0x43, 0, 0, 0x2C, 0x43, 0, 0, 0x20, 0x43,
                   0, 0, 0xF0, 0x42, 0, 0, 0x80, 0x3F, 0, 0, 0,    0xC0,
                   0, 0, 0,    0x3F, 0, 0, 0x80, 0xBF, 0, 0, 0,    0x40};
    const auto lens = decodeLensParams(bytes.data(), bytes.size());
    ASSERT_TRUE(lens.has_value());
    EXPECT_FLOAT_EQ(lens->fx, 170.0f);
    EXPECT_FLOAT_EQ(lens->fy, 172.0f);
    EXPECT_FLOAT_EQ(lens->cx, 160.0f);
    EXPECT_FLOAT_EQ(lens->cy, 120.0f);
    EXPECT_FLOAT_EQ(lens->k1, 1.0f);
    EXPECT_FLOAT_EQ(lens->k2, -2.0f);
    EXPECT_FLOAT_EQ(lens->k3, 0.5f);
    EXPECT_FLOAT_EQ(lens->p1, -1.0f);
    EXPECT_FLOAT_EQ(lens->p2, 2.0f);
    EXPECT_EQ(encodeLensParams(*lens), bytes);
    EXPECT_FALSE(decodeLensParams(bytes.data(), 35).has_value());
    bytes.push_back(0);
    EXPECT_FALSE(decodeLensParams(bytes.data(), bytes.size()).has_value());
}

TEST(CalibrationRecords, ImuBytesDecodeInFieldOrder) {
    const Bytes bytes = {0, 0,    0x80, 0x3F, 0,    0,    0, 0x3F, 0,    0,    0, 0xBF, 0, 0,
                         0, 0x40, 0,    0,    0x80, 0xBF, 0, 0,    0x20, 0x41, 0, 0,    0, 0};
    const auto imu = decodeImuExtrinsic(bytes.data(), bytes.size());
    ASSERT_TRUE(imu.has_value());
    EXPECT_FLOAT_EQ(imu->qw, 1.0f);
    EXPECT_FLOAT_EQ(imu->qx, 0.5f);
    EXPECT_FLOAT_EQ(imu->qy, -0.5f);
    EXPECT_FLOAT_EQ(imu->qz, 2.0f);
    EXPECT_FLOAT_EQ(imu->tx, -1.0f);
    EXPECT_FLOAT_EQ(imu->ty, 10.0f);
    EXPECT_FLOAT_EQ(imu->tz, 0.0f);
    EXPECT_EQ(encodeImuExtrinsic(*imu), bytes);
    EXPECT_FALSE(decodeImuExtrinsic(bytes.data(), 27).has_value());
    EXPECT_FALSE(decodeImuExtrinsic(nullptr, 28).has_value());
}

}  // namespace
