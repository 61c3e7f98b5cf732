// The command line of vantory-camsim.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SimOptions.h"

using namespace camsim;

namespace {

ParseResult parse(std::vector<std::string> args) {
    args.insert(args.begin(), "vantory-camsim");
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    return parseOptions(int(argv.size()), argv.data());
}

}  // namespace

TEST(Options, DefaultsDescribeAK150PlusOnLoopback) {
    const ParseResult r = parse({});
    ASSERT_TRUE(r.options);
    const SimOptions& o = *r.options;
    EXPECT_EQ(o.bindAddress, "127.0.0.1");
    EXPECT_EQ(o.commandPort, 7787);
    EXPECT_EQ(o.announcePort, 7686);
    EXPECT_TRUE(o.announce);
    EXPECT_EQ(o.identity.model, "K150PLUS");
    EXPECT_EQ(o.identity.firmware, "V2.5.3_20241101");
    // The model name sits after the first character of the serial number.
    EXPECT_EQ(o.identity.serial.find("K150PLUS"), 1u);
    EXPECT_EQ(o.scene.name, "wall");
}

TEST(Options, EveryCapabilityIsReachable) {
    const ParseResult r = parse({"--bind",
                                 "127.0.0.21",
                                 "--no-announce",
                                 "--model=K75APEX",
                                 "--scene",
                                 "steps",
                                 "--distance",
                                 "2.25",
                                 "--fps",
                                 "30",
                                 "--legacy",
                                 "--seed",
                                 "99",
                                 "--noise",
                                 "0",
                                 "--lens",
                                 "200,201,150,110,-0.1,0.01,0,0.001,0.002",
                                 "--mac",
                                 "aa-bb-cc-dd-ee-ff",
                                 "--mute-ids",
                                 "4,18",
                                 "--drop",
                                 "0.25",
                                 "--start-sequence",
                                 "65530",
                                 "--firmware-result",
                                 "2",
                                 "--usb",
                                 "/tmp/x"});
    ASSERT_TRUE(r.options) << r.error;
    const SimOptions& o = *r.options;
    EXPECT_EQ(o.bindAddress, "127.0.0.21");
    EXPECT_EQ(o.identity.ip, (std::array<uint8_t, 4>{127, 0, 0, 21}));
    EXPECT_FALSE(o.announce);
    EXPECT_EQ(o.identity.model, "K75APEX");
    EXPECT_EQ(o.identity.serial, "MK75APEX24110007");
    EXPECT_EQ(o.scene.name, "steps");
    EXPECT_DOUBLE_EQ(o.scene.distance, 2.25);
    EXPECT_EQ(o.config.maxFps, 30);
    EXPECT_TRUE(o.legacy);
    EXPECT_EQ(o.seed, 99u);
    EXPECT_EQ(o.noise, 0);
    EXPECT_FLOAT_EQ(o.identity.lens.cx, 150.0f);
    EXPECT_FLOAT_EQ(o.identity.lens.p2, 0.002f);
    EXPECT_EQ(o.identity.mac[0], 0xAA);
    EXPECT_EQ(o.faults.mutedIds, (std::set<uint8_t>{4, 18}));
    EXPECT_DOUBLE_EQ(o.faults.datagrams.drop, 0.25);
    EXPECT_EQ(o.startSequence, 65530);
    EXPECT_EQ(o.firmwareResult, 2);
    EXPECT_EQ(o.usbPath, "/tmp/x");
}

TEST(Options, BadInputIsNamed) {
    const std::vector<std::vector<std::string>> bad = {
        {"--fps", "51"},       {"--fps", "0"},
        {"--model", "X1"},     {"--scene", "garden"},
        {"--drop", "1.5"},     {"--bind", "localhost"},
        {"--lens", "1,2,3"},   {"--mac", "aa:bb"},
        {"--mute-ids", "300"}, {"--port"},
        {"--whatever"},        {"--distance", "abc"},
        {"--port", "70000"},   {"--serial", std::string(29, 'x')},
    };
    for (const auto& args : bad) {
        const ParseResult r = parse(args);
        EXPECT_FALSE(r.options) << args[0];
        EXPECT_FALSE(r.error.empty()) << args[0];
    }
}

TEST(Options, HelpListsTheOptions) {
    const ParseResult r = parse({"--help"});
    EXPECT_TRUE(r.help);
    EXPECT_FALSE(r.options);
    const std::string text = helpText();
    for (const char* name : {"--bind", "--usb", "--legacy", "--scene", "--drop", "--mute-ids",
                             "--stop-after", "--seed", "--imu-rate", "--state-file"}) {
        EXPECT_NE(text.find(name), std::string::npos) << name;
    }
}
