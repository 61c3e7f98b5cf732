#include <gtest/gtest.h>

#include "CliArgs.h"
#include "CliConstants.h"

namespace vantory_cli {
namespace {

std::vector<std::string> split(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    for (char c : line) {
        if (c == ' ') {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(word);
    return words;
}

TEST(CliArgs, StreamWithEveryOption) {
    const auto parsed = parseArgs(split(
        "stream 10.0.0.7 --type cloudamp --fps 50 --seconds 2.5 --image-port 9651 --grayscale"));
    ASSERT_TRUE(parsed.options) << parsed.error;
    const CliOptions& o = *parsed.options;
    EXPECT_EQ(o.command, Command::Stream);
    EXPECT_EQ(o.address, "10.0.0.7");
    EXPECT_EQ(o.type, Movoda::IMG_POINTCLOUDAMP);
    EXPECT_EQ(o.fps, 50);
    EXPECT_DOUBLE_EQ(o.seconds, 2.5);
    EXPECT_EQ(o.imagePort, 9651);
    EXPECT_TRUE(o.grayscale);
    EXPECT_EQ(o.byteOrder, ByteOrder::Little);
    for (const auto& [name, order] :
         {std::pair{"little", ByteOrder::Little}, std::pair{"big", ByteOrder::Big},
          std::pair{"auto", ByteOrder::Auto}}) {
        for (const char* line : {"info 10.0.0.7", "stream 10.0.0.7", "snapshot 10.0.0.7 --out d"}) {
            auto words = split(line);
            words.insert(words.end(), {"--byte-order", name});
            const auto p = parseArgs(words);
            ASSERT_TRUE(p.options) << line << ": " << p.error;
            EXPECT_EQ(p.options->byteOrder, order) << line;
        }
    }
}

TEST(CliArgs, DefaultsPerCommand) {
    const auto stream = parseArgs(split("stream /dev/ttyACM3"));
    ASSERT_TRUE(stream.options);
    EXPECT_EQ(stream.options->address, "/dev/ttyACM3");
    EXPECT_EQ(stream.options->type, Movoda::IMG_DISTANCE);
    EXPECT_EQ(stream.options->fps, 0);  // the camera keeps its rate
    EXPECT_DOUBLE_EQ(stream.options->seconds, kDefaultStreamSeconds);
    EXPECT_EQ(stream.options->imagePort, 0);

    // A snapshot needs a cloud, so it always streams the cloud type.
    const auto snapshot = parseArgs(split("snapshot 127.0.0.1 --out /tmp/x"));
    ASSERT_TRUE(snapshot.options);
    EXPECT_EQ(snapshot.options->type, Movoda::IMG_POINTCLOUDAMP);
    EXPECT_EQ(snapshot.options->outDir, "/tmp/x");

    // The address may come after the options.
    const auto info = parseArgs(split("info 192.168.1.10"));
    ASSERT_TRUE(info.options);
    EXPECT_EQ(info.options->command, Command::Info);
}

TEST(CliArgs, HelpWinsAnywhere) {
    for (const char* line : {"--help", "-h", "stream --help", "info 1.2.3.4 -h", "bogus --help"}) {
        const auto parsed = parseArgs(split(line));
        ASSERT_TRUE(parsed.options) << line;
        EXPECT_EQ(parsed.options->command, Command::Help) << line;
    }
}

TEST(CliArgs, TypeNames) {
    const std::pair<const char*, Movoda::ImageType> table[] = {
        {"distance", Movoda::IMG_DISTANCE},
        {"amplitude", Movoda::IMG_AMPLITUDE},
        {"grayscale", Movoda::IMG_GRAYSCALE},
        {"cloud", Movoda::IMG_POINTCLOUD},
        {"cloudamp", Movoda::IMG_POINTCLOUDAMP}};
    for (const auto& [name, type] : table) {
        const auto parsed = parseArgs({"stream", "1.2.3.4", "--type", name});
        ASSERT_TRUE(parsed.options) << name;
        EXPECT_EQ(parsed.options->type, type) << name;
    }
    EXPECT_FALSE(imageTypeFromName("Cloud"));
    EXPECT_FALSE(imageTypeFromName(""));
    EXPECT_TRUE(isCloudType(Movoda::IMG_POINTCLOUD));
    EXPECT_TRUE(isCloudType(Movoda::IMG_POINTCLOUDAMP));
    EXPECT_FALSE(isCloudType(Movoda::IMG_GRAYSCALE));
}

TEST(CliArgs, RecordAndConvert) {
    const auto record = parseArgs(split("record 10.0.0.2 --frames 250 --out rec --type cloudamp"));
    ASSERT_TRUE(record.options) << record.error;
    EXPECT_EQ(record.options->command, Command::Record);
    EXPECT_EQ(record.options->frames, 250);
    EXPECT_EQ(record.options->outDir, "rec");
    EXPECT_EQ(record.options->type, Movoda::IMG_POINTCLOUDAMP);
    const auto timed = parseArgs(split("record 10.0.0.2 --seconds 1.5 --out rec --grayscale"));
    ASSERT_TRUE(timed.options) << timed.error;
    EXPECT_EQ(timed.options->frames, 0);
    EXPECT_DOUBLE_EQ(timed.options->seconds, 1.5);

    const auto convert =
        parseArgs(split("convert a/0.xbin dir b.xbin --to png16 --out o --threads 4"));
    ASSERT_TRUE(convert.options) << convert.error;
    EXPECT_EQ(convert.options->command, Command::Convert);
    EXPECT_EQ(convert.options->files, (std::vector<std::string>{"a/0.xbin", "dir", "b.xbin"}));
    EXPECT_EQ(convert.options->toFormat, "png16");
    EXPECT_EQ(convert.options->threads, 4u);
    EXPECT_TRUE(convert.options->address.empty());
}

// Every refused command line names what is wrong.
TEST(CliArgs, StatsTellsACameraFromRecordings) {
    const auto camera = parseArgs(split("stats 10.0.0.7 --roi 5,6,30,40 --image-port 8000"));
    ASSERT_TRUE(camera.options) << camera.error;
    EXPECT_EQ(camera.options->address, "10.0.0.7");
    EXPECT_TRUE(camera.options->files.empty());
    EXPECT_EQ(camera.options->frames, kDefaultStatsFrames);
    EXPECT_EQ(camera.options->roiX, 5);
    EXPECT_EQ(camera.options->roiHeight, 40);

    const auto serial = parseArgs(split("stats /dev/ttyACM3 --frames 7"));
    ASSERT_TRUE(serial.options) << serial.error;
    EXPECT_EQ(serial.options->address, "/dev/ttyACM3");
    EXPECT_EQ(serial.options->frames, 7);

    // Several entries, or one that is not an address, are recordings; every file by default.
    for (const char* line : {"stats rec/1.xbin rec/2.xbin", "stats recordings/today"}) {
        const auto files = parseArgs(split(line));
        ASSERT_TRUE(files.options) << files.error;
        EXPECT_TRUE(files.options->address.empty()) << line;
        EXPECT_FALSE(files.options->files.empty()) << line;
        EXPECT_EQ(files.options->frames, 0) << line;
    }
}

TEST(CliArgs, RefusesBadInput) {
    const char* bad[] = {
        "",                                                // nothing
        "start 1.2.3.4",                                   // unknown command
        "info",                                            // no address
        "info 1.2.3.4 5.6.7.8",                            // two addresses
        "stream 1.2.3.4 --type depth",                     // unknown type
        "stream 1.2.3.4 --type cloud --type cloud",        // repeated
        "stream 1.2.3.4 --fps 0",                          // below the range
        "stream 1.2.3.4 --fps 51",                         // above the range
        "stream 1.2.3.4 --fps -5",                         // sign
        "stream 1.2.3.4 --fps 20x",                        // trailing text
        "stream 1.2.3.4 --fps 99999999999999999999",       // overflow
        "stream 1.2.3.4 --seconds 0",                      //
        "stream 1.2.3.4 --seconds -1",                     //
        "stream 1.2.3.4 --seconds nan",                    //
        "stream 1.2.3.4 --seconds inf",                    //
        "stream 1.2.3.4 --seconds 2s",                     //
        "stream 1.2.3.4 --image-port 0",                   //
        "stream 1.2.3.4 --image-port 65536",               //
        "stream 1.2.3.4 --image-port 10000",               // cameras stream below 10000
        "info 1.2.3.4 --byte-order middle",                //
        "info 1.2.3.4 --byte-order big --byte-order big",  // repeated
        "stream 1.2.3.4 --seconds",                        // missing value
        "stream 1.2.3.4 --verbose",                        // unknown option
        "info 1.2.3.4 --fps 10",                           // stream-only option
        "info 1.2.3.4 --image-port 7687",                  //
        "info 1.2.3.4 --grayscale",                        //
        "snapshot 1.2.3.4",                                // no --out
        "snapshot 1.2.3.4 --seconds 3 --out d",            // stream-only option
        "stream 1.2.3.4 --out d",                          // snapshot-only option
        "record 1.2.3.4 --out d",                          // neither --frames nor --seconds
        "record 1.2.3.4 --frames 5 --seconds 2 --out d",   // both
        "record 1.2.3.4 --frames 0 --out d",               //
        "record 1.2.3.4 --frames 5",                       // no --out
        "record 1.2.3.4 --frames 5 --out d --threads 2",   // convert-only option
        "convert --to pcd --out d",                        // no files
        "convert a.xbin --out d",                          // no --to
        "convert a.xbin --to bmp --out d",                 // unknown format
        "convert a.xbin --to pcd",                         // no --out
        "convert a.xbin --to pcd --out d --threads 0",     //
        "convert a.xbin --to pcd --out d --threads 65",    //
        "convert a.xbin --to pcd --out d --image-port 9",  // camera option
        "convert a.xbin --to pcd --out d --grayscale",     //
        "convert a.xbin --to pcd --out d --seconds 3",     //
        "stats",                                           // nothing to measure
        "stats 1.2.3.4 --roi 1,2,3",                       // three numbers
        "stats 1.2.3.4 --roi 1,2,3,4,5",                   // five
        "stats 1.2.3.4 --roi 1,2,0,4",                     // empty rectangle
        "stats 1.2.3.4 --roi -1,2,3,4",                    // sign
        "stats 1.2.3.4 --roi 1,,3,4",                      // gap
        "stats 1.2.3.4 --roi 1,2,3,4 --roi 1,2,3,4",       // repeated
        "stats 1.2.3.4 --frames 0",                        //
        "stats 1.2.3.4 --out d",                           // nothing is written
        "stream 1.2.3.4 --roi 1,2,3,4",                    // stats-only option
    };
    for (const char* line : bad) {
        const auto parsed = parseArgs(split(line));
        EXPECT_FALSE(parsed.options) << "accepted: '" << line << "'";
        EXPECT_FALSE(parsed.error.empty()) << line;
    }
}

}  // namespace
}  // namespace vantory_cli
