// The viewer's single exports (what is written where, what is skipped, failures shown)
// and the batch conversion's handshake with the playback, without a window.
#include <gtest/gtest.h>
#include <pcl/io/pcd_io.h>

#include <QImage>

#include <chrono>
#include <cmath>
#include <fstream>
#include <future>
#include <thread>

#include "BatchConversion.h"
#include "RecordFileFixture.h"
#include "SingleExports.h"
#include "export/RecordFrameLoader.h"

namespace {

namespace ex = Movoda::exporters;
namespace fs = std::filesystem;
using vantory::exports::BatchConversion;
using vantory::exports::SingleExports;
using vantory_test::TempDir;

struct Message {
    std::string title;
    std::string text;
};

class Messages {
public:
    std::function<void(const std::string&, const std::string&)> sink() {
        return [this](const std::string& title, const std::string& text) {
            std::lock_guard<std::mutex> lock(mutex_);
            all_.push_back({title, text});
        };
    }
    std::vector<Message> all() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return all_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<Message> all_;
};

ex::CloudPtr cloudOf(uint32_t width, uint32_t height) {
    auto cloud = std::make_shared<ex::Cloud>(width, height);
    for (size_t i = 0; i < cloud->size(); ++i) {
        (*cloud)[i].z = i % 7 == 0 ? NAN : 1.0f + 0.001f * static_cast<float>(i);
        (*cloud)[i].x = (*cloud)[i].y = (*cloud)[i].z;
    }
    return cloud;
}

class SingleExportsTest : public ::testing::Test {
protected:
    SingleExportsTest()
        : exports(
              {messages.sink(), {}}, [this] { return exportDir; },
              [] { return std::time_t(1767261600); }) {}
    TempDir dir;
    std::string exportDir = dir.path + "/mv-pcds/new";  // not there yet: created by each save
    Messages messages;
    SingleExports exports;
};

TEST_F(SingleExportsTest, ViewerCloudIsWrittenWholeOnlyWhenLargeEnough) {
    EXPECT_TRUE(exports.saveViewerCloudPcd(false, cloudOf(320, 240)).empty());
    EXPECT_TRUE(exports.saveViewerCloudPcd(true, nullptr).empty());
    EXPECT_TRUE(exports.saveViewerCloudPcd(true, cloudOf(30, 30)).empty());
    EXPECT_TRUE(messages.all().empty());

    const std::string path = exports.saveViewerCloudPcd(true, cloudOf(320, 240));
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(fs::path(path).parent_path(), exportDir);
    EXPECT_EQ(fs::path(path).filename().string().substr(17), "_Binary.pcd");
    pcl::PointCloud<pcl::PointXYZI> back;
    ASSERT_EQ(pcl::io::loadPCDFile(path, back), 0);
    EXPECT_EQ(back.width * back.height, 76800u);
    EXPECT_TRUE(std::isnan(back[7].z));
    EXPECT_FLOAT_EQ(back[8].z, 1.008f);
    ASSERT_EQ(messages.all().size(), 1u);
    EXPECT_EQ(messages.all()[0].title, "pcd file save ok");
    EXPECT_EQ(messages.all()[0].text, path);
}

TEST_F(SingleExportsTest, CsvCreatesTheDirectoryAndFailuresAreShownNotReportedAsSaved) {
    auto plan = vantory_test::wallPlan(8, 4);
    const auto frame = vantory_test::decodeFrame(plan);
    const std::string path = exports.saveCsv(frame.get(), "K75ANY-123");
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(fs::path(path).filename().string().rfind("K75ANY-123_", 0), 0u);
    EXPECT_TRUE(fs::file_size(path) > 0);
    EXPECT_EQ(messages.all().back().title, "csv file save ok");
    EXPECT_TRUE(exports.saveCsv(nullptr, "x").empty());

    // The export directory's place is taken by a file: nothing is saved, each export says so.
    exportDir = dir.path + "/blocked";
    std::ofstream(exportDir) << "x";
    const size_t before = messages.all().size();
    EXPECT_TRUE(exports.saveCsv(frame.get(), "s").empty());
    EXPECT_TRUE(exports.saveViewerCloudPcd(true, cloudOf(320, 240)).empty());
    QImage image(16, 16, QImage::Format_RGB32);
    EXPECT_TRUE(exports.saveImages(0, image, image).empty());
    const std::vector<Message> after = messages.all();
    ASSERT_EQ(after.size(), before + 3);
    EXPECT_EQ(after[before].title, "csv file save failed");
    EXPECT_EQ(after[before + 1].title, "pcd file save failed");
    EXPECT_EQ(after[before + 2].title, "Image file save failed");
}

TEST_F(SingleExportsTest, ImagesByImageType) {
    QImage left(20, 11, QImage::Format_RGB32);
    QImage right(20, 11, QImage::Format_RGB32);
    const QImage tiny(20, 10, QImage::Format_RGB32);
    left.fill(Qt::red);
    right.fill(Qt::blue);
    struct Case {
        int index;
        const QImage* left;
        const QImage* right;
        std::vector<std::string> prefixes;
    } cases[] = {
        {1, &left, &right, {"gsimage_"}},    {2, &left, &right, {"dist_image_", "amp_image_"}},
        {4, &left, &tiny, {"dist_image_"}},  {3, &left, &right, {}},
        {0, &left, &right, {"dist_image_"}}, {7, &tiny, &right, {}},
    };
    for (const Case& c : cases) {
        fs::remove_all(exportDir);
        exports.saveImages(c.index, *c.left, *c.right);
        std::vector<std::string> written;
        if (fs::exists(exportDir)) {
            for (const auto& e : fs::directory_iterator(exportDir)) {
                const std::string name = e.path().filename().string();
                written.push_back(name.substr(0, name.find_first_of("0123456789")));
                EXPECT_EQ(e.path().extension(), ".bmp");
                EXPECT_FALSE(QImage(QString::fromStdString(e.path().string())).isNull());
            }
        }
        std::sort(written.begin(), written.end());
        std::vector<std::string> expected = c.prefixes;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(written, expected) << "image type " << c.index;
    }
}

class BatchConversionTest : public ::testing::Test {
protected:
    BatchConversionTest() {
        vantory::exports::ConversionHooks hooks;
        hooks.message = messages.sink();
        hooks.endPlaybackMode = [this] { ++playbackEnded; };
        conversion = std::make_unique<BatchConversion>(std::move(hooks));
        fs::create_directories(recording);
        for (int k = 0; k < 3; ++k) {
            paths.push_back(recording + "/" + std::to_string(k) + ".xbin");
            vantory_test::writeRecordFileOf(vantory_test::wallPlan(), paths.back());
        }
    }
    // What the frame path does with a played file's frame.
    void deliver(int k) {
        ex::RecordFrameLoader loader;
        const ex::LoadedFrame loaded = loader.load(paths[static_cast<size_t>(k)]);
        ASSERT_TRUE(loaded.frame);
        conversion->onFrame(*loaded.frame, "", "");
    }
    // The frame of file k under another name: a camera frame, or one of another file.
    void deliverNamed(int k, const std::string& name) {
        std::ifstream in(paths[static_cast<size_t>(k)], std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
        ex::RecordFrameLoader loader;
        const ex::LoadedFrame loaded = loader.loadBytes(bytes, name);
        ASSERT_TRUE(loaded.frame);
        conversion->onFrame(*loaded.frame, "", "");
    }
    TempDir dir;
    std::string recording = dir.path + "/20260101-10-00-00";
    std::vector<std::string> paths;
    Messages messages;
    int playbackEnded = 0;
    std::unique_ptr<BatchConversion> conversion;
};

TEST_F(BatchConversionTest, PlaysIntoASiblingDirectoryAndRefusesOneThatExists) {
    const std::string out = recording + "_pcd";
    conversion->begin(ex::ConversionKind::Pcd);
    auto steps = conversion->steps();
    for (int k = 0; k < 3; ++k) {
        steps.beforeFile(k, paths);
        EXPECT_TRUE(steps.unpaced());
        if (k == 1) {
            steps.afterFile(k, paths[1], "size error: 7  206");  // damaged: no frame comes
            continue;
        }
        // The frame arrives on another thread while the playback waits for it.
        auto frameThread = std::async(std::launch::async, [this, k] { deliver(k); });
        steps.afterFile(k, paths[static_cast<size_t>(k)], "");
        frameThread.get();
    }
    steps.playedToEnd();
    EXPECT_TRUE(fs::exists(out + "/0.pcd"));
    EXPECT_FALSE(fs::exists(out + "/1.pcd"));
    EXPECT_TRUE(fs::exists(out + "/2.pcd"));
    pcl::PointCloud<pcl::PointXYZI> back;
    ASSERT_EQ(pcl::io::loadPCDFile(out + "/2.pcd", back), 0);
    EXPECT_EQ(back.width, 320u);
    EXPECT_EQ(back.height, 240u);
    const auto counts = conversion->counts();
    EXPECT_EQ(counts.done, 3);
    EXPECT_EQ(counts.failed, 1);
    EXPECT_FALSE(counts.running);
    ASSERT_EQ(messages.all().size(), 1u);
    EXPECT_EQ(messages.all()[0].title, "xbin to pcd finish");
    EXPECT_NE(messages.all()[0].text.find("2 of 3 files converted, 1 failed: " + paths[1]),
              std::string::npos);
    EXPECT_EQ(playbackEnded, 1);

    // The same recording again: refused, nothing saved, the playback goes on at its pace.
    conversion->begin(ex::ConversionKind::Pcd);
    steps.beforeFile(0, paths);
    EXPECT_FALSE(conversion->converting());
    EXPECT_FALSE(steps.unpaced());
    deliver(0);
    steps.afterFile(0, paths[0], "");
    EXPECT_EQ(messages.all().back().title, "xbin to pcd failed");
    EXPECT_EQ(messages.all().back().text, out);
    EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 2);
}

TEST_F(BatchConversionTest, OnlyTheFrameOfTheFileBeingPlayedIsSaved) {
    const std::string out = recording + "_pcd";
    const std::string early = "vantory-frame-before-the-first-file";
    conversion->begin(ex::ConversionKind::Pcd);
    auto steps = conversion->steps();
    deliverNamed(0, early);  // no file announced: no directory to save it in
    EXPECT_TRUE(conversion->converting());
    EXPECT_FALSE(fs::exists("/" + early + ".pcd"));

    steps.beforeFile(0, paths);
    deliverNamed(0, "MK150PLUS_7");  // the camera still streaming
    deliverNamed(0, "1");            // another file's frame
    auto frameThread = std::async(std::launch::async, [this] { deliver(0); });
    steps.afterFile(0, paths[0], "");
    frameThread.get();
    std::vector<std::string> written;
    for (const auto& entry : fs::directory_iterator(out))
        written.push_back(entry.path().filename().string());
    EXPECT_EQ(written, std::vector<std::string>{"0.pcd"});
    EXPECT_EQ(conversion->counts().failed, 0);
    EXPECT_TRUE(conversion->converting());
}

TEST_F(BatchConversionTest, AFrameNotSavedInTimeStopsTheConversionAndCancelReleasesTheWait) {
    conversion->begin(ex::ConversionKind::Images);
    auto steps = conversion->steps();
    steps.beforeFile(0, paths);
    const auto started = std::chrono::steady_clock::now();
    steps.afterFile(0, paths[0], "");  // no frame ever comes
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(2500));
    EXPECT_FALSE(conversion->converting());
    EXPECT_EQ(messages.all().back().title, "Conversion failed");
    EXPECT_EQ(messages.all().back().text, "Waiting for storage timeout");

    fs::remove_all(recording + "_img");
    conversion->begin(ex::ConversionKind::Images);
    steps.beforeFile(0, paths);
    auto waiting = std::async(std::launch::async, [&] { steps.afterFile(0, paths[0], ""); });
    conversion->cancel();
    EXPECT_EQ(waiting.wait_for(std::chrono::seconds(5)), std::future_status::ready);

    // Images of a frame are saved as JPEG when they are taller than 10 lines.
    fs::remove_all(recording + "_img");
    conversion->begin(ex::ConversionKind::Images);
    steps.beforeFile(0, paths);
    QImage distance(32, 24, QImage::Format_RGB32);
    QImage amplitude(32, 10, QImage::Format_RGB32);
    distance.fill(Qt::green);
    conversion->takeImages(&distance, &amplitude, nullptr);
    deliver(0);
    steps.afterFile(0, paths[0], "");
    EXPECT_TRUE(fs::exists(recording + "_img/0_dist.jpg"));
    EXPECT_FALSE(fs::exists(recording + "_img/0_amp.jpg"));
    EXPECT_EQ(conversion->counts().done, 1);
}

}  // namespace
