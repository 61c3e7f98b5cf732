#include <gtest/gtest.h>

#include "CliArgs.h"

namespace vantory_cli {
namespace {

TEST(CliArgs, FirmwareTakesAnAddressAndAFile) {
    struct Row {
        std::vector<std::string> args;
        bool accepted;
        const char* errorPart;
    };
    const Row rows[] = {
        {{"firmware", "10.0.0.7", "fw.bin"}, true, ""},
        {{"firmware", "10.0.0.7", "fw.bin", "--image-port", "9000"}, true, ""},
        {{"firmware", "10.0.0.7"}, false, "needs the FILE"},
        {{"firmware", "10.0.0.7", "fw.bin", "more.bin"}, false, "unexpected argument 'more.bin'"},
        {{"firmware", "10.0.0.7", "fw.bin", "--grayscale"}, false, "--grayscale"},
        {{"firmware", "10.0.0.7", "fw.bin", "--fps", "10"},
         false,
         "belongs to the stream and record commands"},
        {{"info", "10.0.0.7", "fw.bin"}, false, "unexpected argument 'fw.bin'"},
    };
    for (const Row& row : rows) {
        const ParsedArgs parsed = parseArgs(row.args);
        EXPECT_EQ(parsed.options.has_value(), row.accepted)
            << row.args.size() << " " << parsed.error;
        if (!row.accepted) {
            EXPECT_NE(parsed.error.find(row.errorPart), std::string::npos) << parsed.error;
            continue;
        }
        EXPECT_EQ(parsed.options->command, Command::Firmware);
        EXPECT_EQ(parsed.options->address, "10.0.0.7");
        EXPECT_EQ(parsed.options->firmwareFile, "fw.bin");
    }
}

}  // namespace
}  // namespace vantory_cli
