// The exporters: record file -> frame -> PCD/PLY/PNG/CSV, read back with the libraries
// other programs use; the batch conversion with damaged files; file naming.
#include <gtest/gtest.h>
#include <pcl/io/pcd_io.h>
#include <pcl/io/ply_io.h>

#include <opencv2/imgcodecs.hpp>

#include <cmath>
#include <cstring>
#include <mutex>
#include <sstream>

#include "RecordFileFixture.h"
#include "export/BatchConvert.h"
#include "export/ExportNaming.h"
#include "export/FrameCsv.h"
#include "export/RecordFrameLoader.h"

namespace {

namespace ex = Movoda::exporters;
namespace fs = std::filesystem;
using vantory_test::PacketPlan;
using vantory_test::TempDir;

bool samePoint(const pcl::PointXYZI& a, const float* b) {
    auto same = [](float x, float y) { return (std::isnan(x) && std::isnan(y)) || x == y; };
    const bool finite = std::isfinite(b[0]) && std::isfinite(b[1]) && std::isfinite(b[2]);
    if (!finite) return std::isnan(a.x) && std::isnan(a.y) && std::isnan(a.z);
    return same(a.x, b[0]) && same(a.y, b[1]) && same(a.z, b[2]) && same(a.intensity, b[3]);
}

class ExportFiles : public ::testing::Test {
protected:
    void SetUp() override {
        recordPath = dir.path + "/0.xbin";
        vantory_test::writeRecordFileOf(vantory_test::wallPlan(), recordPath);
        loaded = loader.load(recordPath);
        ASSERT_TRUE(loaded.frame) << loaded.error;
    }
    TempDir dir;
    std::string recordPath;
    ex::RecordFrameLoader loader;
    ex::LoadedFrame loaded;
};

TEST_F(ExportFiles, PcdAndPlyLoadBackWithTheFramesSizeAndPoints) {
    const Movoda::Frame& frame = *loaded.frame;
    ASSERT_TRUE(frame.hasCloud());
    EXPECT_EQ(frame.name(), "0");
    std::string why;
    ASSERT_TRUE(ex::writeFrameAs(frame, dir.path + "/out", ex::OutputFormat::Pcd, {}, why)) << why;
    pcl::PointCloud<pcl::PointXYZI> pcd;
    ASSERT_EQ(pcl::io::loadPCDFile(dir.path + "/out.pcd", pcd), 0);
    ASSERT_EQ(pcd.width, 320u);
    ASSERT_EQ(pcd.height, 240u);
    size_t nan = 0;
    for (size_t i = 0; i < pcd.size(); ++i) {
        ASSERT_TRUE(samePoint(pcd[i], frame.cloudData() + 4 * i)) << "point " << i;
        nan += std::isnan(pcd[i].z) ? 1 : 0;
    }
    EXPECT_GT(nan, 0u);  // the camera's invalid pixels stay in place as NaN
    EXPECT_LT(nan, pcd.size() / 10);

    ASSERT_TRUE(ex::writeFrameAs(frame, dir.path + "/out", ex::OutputFormat::Ply, {}, why)) << why;
    pcl::PointCloud<pcl::PointXYZI> ply;
    ASSERT_EQ(pcl::io::loadPLYFile(dir.path + "/out.ply", ply), 0);
    size_t finitePly = 0;
    for (const auto& p : ply) finitePly += std::isfinite(p.z) ? 1 : 0;
    EXPECT_EQ(finitePly, pcd.size() - nan);
}

TEST_F(ExportFiles, CloudFilterRunsBeforeWritingAndItsFailureIsReported) {
    // Keeps the middle row only.
    ex::CloudFilter keepMiddleRow = [](const ex::CloudConstPtr& in) {
        auto out = std::make_shared<ex::Cloud>(*in);
        for (size_t i = 0; i < out->size(); ++i) {
            if (i / out->width != 120) (*out)[i].z = NAN;
        }
        return ex::CloudConstPtr(out);
    };
    std::string why;
    ASSERT_TRUE(ex::writeFrameAs(*loaded.frame, dir.path + "/f", ex::OutputFormat::Pcd,
                                 keepMiddleRow, why));
    pcl::PointCloud<pcl::PointXYZI> pcd;
    ASSERT_EQ(pcl::io::loadPCDFile(dir.path + "/f.pcd", pcd), 0);
    EXPECT_TRUE(std::isfinite(pcd[120 * 320 + 161].z));
    EXPECT_TRUE(std::isnan(pcd[100 * 320 + 161].z));

    const ex::CloudFilter broken = [](const ex::CloudConstPtr&) { return ex::CloudConstPtr(); };
    EXPECT_FALSE(
        ex::writeFrameAs(*loaded.frame, dir.path + "/g", ex::OutputFormat::Pcd, broken, why));
    EXPECT_FALSE(fs::exists(dir.path + "/g.pcd"));
    EXPECT_NE(why.find("filter"), std::string::npos);
}

TEST_F(ExportFiles, Png16ReadBackEqualsTheDistancePlaneInMillimetres) {
    const Movoda::Frame& frame = *loaded.frame;
    std::string why;
    ASSERT_TRUE(ex::writeFrameAs(frame, dir.path + "/d", ex::OutputFormat::Png16, {}, why)) << why;
    const cv::Mat image = cv::imread(dir.path + "/d_dist16.png", cv::IMREAD_UNCHANGED);
    ASSERT_EQ(image.type(), CV_16UC1);
    ASSERT_EQ(image.cols, 320);
    ASSERT_EQ(image.rows, 240);
    size_t invalid = 0;
    for (int i = 0; i < 320 * 240; ++i) {
        const uint32_t d = frame.distancePlane()[i];
        const uint16_t v = reinterpret_cast<const uint16_t*>(image.data)[i];
        if (d >= 964000) {
            ++invalid;
            ASSERT_EQ(v, 0) << i;
        } else {
            ASSERT_EQ(v, d) << i;
        }
    }
    EXPECT_GT(invalid, 0u);
}

TEST_F(ExportFiles, UnwritablePathsFailWithTheirReason) {
    std::string why;
    const std::string nowhere = dir.path + "/missing/dir/x";
    for (ex::OutputFormat format :
         {ex::OutputFormat::Pcd, ex::OutputFormat::Ply, ex::OutputFormat::Png16,
          ex::OutputFormat::Csv, ex::OutputFormat::Jpg}) {
        why.clear();
        EXPECT_FALSE(ex::writeFrameAs(*loaded.frame, nowhere, format, {}, why));
        EXPECT_FALSE(why.empty());
    }
}

// CSV of small frames of each kind: header with column indices, row index first, a comma
// after every value; distance+amplitude frames put the amplitude table after four blank
// lines with its title on the first row's line; grayscale frames hold their table.
TEST(FrameCsvTest, LayoutByDataKind) {
    PacketPlan s;
    s.width = 4;
    s.height = 2;
    // Received in the camera's order: this model sends each row mirrored.
    s.distance = {103, 102, 101, 100, 203, 202, 201, 200};
    s.amplitude = {13, 12, 11, 10, 23, 22, 21, 20};
    s.grayscale = {8, 7, 6, 5, 12, 11, 10, 9};
    struct Case {
        uint8_t kind;
        uint8_t flags;
        const char* text;
    } cases[] = {
        {0, 3,
         "Distance ,0,1,2,3,\n0,100,101,102,103,\n1,200,201,202,203,\n\n\n\n\n"
         "Amplitude0,10,11,12,13,\n1,20,21,22,23,\n"},
        {1, 3, "Distance ,0,1,2,3,\n0,100,101,102,103,\n1,200,201,202,203,\n"},
        {3, 8, "Grayscale ,0,1,2,3,\n0,5,6,7,8,\n1,9,10,11,12,\n"},
    };
    for (const Case& c : cases) {
        s.dataType = c.kind;
        s.dataFlags = c.flags;
        const auto frame = vantory_test::decodeFrame(s);
        ASSERT_TRUE(frame);
        std::ostringstream out;
        std::string why;
        ASSERT_TRUE(ex::writeFrameCsv(out, *frame, why)) << why;
        EXPECT_EQ(out.str(), c.text) << "kind " << int(c.kind);
    }
    // A frame with no table at all is a failure, not an empty file reported as written.
    s.dataType = 3;
    s.dataFlags = 0;
    const auto empty = vantory_test::decodeFrame(s);
    TempDir dir;
    std::string why;
    EXPECT_FALSE(ex::writeFrameCsvFile(dir.path + "/e.csv", *empty, why));
    EXPECT_FALSE(fs::exists(dir.path + "/e.csv"));
}

// A folder with good files, a truncated file and a file of an unknown version: the good
// ones are converted on several threads, the others reported with a reason.
TEST(BatchConvertTest, DamagedFilesAreReportedAndTheRestConverted) {
    TempDir in;
    TempDir out;
    std::vector<std::string> files;
    for (int k = 0; k < 6; ++k) {
        files.push_back(in.path + "/" + std::to_string(k) + ".xbin");
        vantory_test::writeRecordFileOf(vantory_test::wallPlan(32, 24), files.back());
    }
    fs::resize_file(files[2], 200);
    {
        std::fstream f(files[4], std::ios::in | std::ios::out | std::ios::binary);
        f.put(4);  // version 4
    }
    for (ex::OutputFormat format : {ex::OutputFormat::Pcd, ex::OutputFormat::Png16}) {
        std::mutex m;
        std::vector<ex::ConvertProgress> seen;
        ex::ConvertJob job;
        job.files = files;
        job.outDir = out.path + "/nested";
        job.format = format;
        job.threads = 3;
        job.progress = [&](const ex::ConvertProgress& p) {
            std::lock_guard<std::mutex> lock(m);
            seen.push_back(p);
        };
        const ex::ConvertSummary summary = ex::convertRecordFiles(job);
        EXPECT_EQ(summary.converted, 4u);
        ASSERT_EQ(summary.failures.size(), 2u);
        EXPECT_EQ(summary.failures[0].file, files[2]);
        EXPECT_EQ(summary.failures[1].file, files[4]);
        EXPECT_EQ(summary.failures[1].reason, "fileVer not support");
        EXPECT_FALSE(summary.failures[0].reason.empty());
        ASSERT_EQ(seen.size(), 6u);
        EXPECT_EQ(seen.back().done, 6u);
        EXPECT_EQ(seen.back().failed, 2u);
        const char* suffix = format == ex::OutputFormat::Pcd ? ".pcd" : "_dist16.png";
        for (int k : {0, 1, 3, 5})
            EXPECT_TRUE(fs::exists(job.outDir + "/" + std::to_string(k) + suffix)) << k;
        EXPECT_FALSE(fs::exists(job.outDir + "/2" + std::string(suffix)));
    }

    // A cancelled job starts nothing more.
    std::atomic<bool> cancel{true};
    ex::ConvertJob job;
    job.files = files;
    job.outDir = out.path;
    job.cancel = &cancel;
    const ex::ConvertSummary summary = ex::convertRecordFiles(job);
    EXPECT_EQ(summary.notStarted, files.size());
    EXPECT_FALSE(summary.ok());

    // An output directory that cannot be made fails the whole job with the reason.
    job.cancel = nullptr;
    job.outDir = files[0] + "/sub";
    EXPECT_FALSE(ex::convertRecordFiles(job).error.empty());
}

TEST(ExportNamingTest, ConversionDirectoryFrameNamesAndBatchNames) {
    EXPECT_EQ(
        ex::conversionDirectory("/data/rec/20260101-10-00-00/0.xbin", ex::ConversionKind::Pcd),
        "/data/rec/20260101-10-00-00_pcd");
    EXPECT_EQ(ex::conversionDirectory("/data/rec/./a/../b/7.xbin", ex::ConversionKind::Images),
              "/data/rec/b_img");
    EXPECT_EQ(ex::conversionDirectory("rel/3.xbin", ex::ConversionKind::Pcd),
              (fs::current_path() / "rel").string() + "_pcd");

    struct NameCase {
        uint8_t source;
        const char* time;
        const char* ptp;
        const char* expected;
    } names[] = {
        {1, "12-00-01.5", "2026-01-01", "12-00-01.5"},
        {2, "12-00-01.5", "2026-01-01", "2026-01-01"},
        {0, "12-00-01.5", "2026-01-01", "tag"},
        {1, "x", "", "17"},
        {2, "", "", "17"},
        {5, "", "", "tag"},
    };
    for (const NameCase& c : names)
        EXPECT_EQ(ex::convertedFrameName(c.source, c.time, c.ptp, "tag", 17), c.expected);

    EXPECT_EQ(ex::batchOutputNames({"/a/r1/0.xbin", "/a/r1/1.xbin", "/a/r2/0.xbin", "x/r2/0.xbin"}),
              (std::vector<std::string>{"r1_0", "1", "r2_0", "r2_0-2"}));
}

}  // namespace
