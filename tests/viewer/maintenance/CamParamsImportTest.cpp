// Lens and IMU parameter files written into the simulated camera: which record goes out
// and its exact bytes.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstring>

#include "CamParamsImport.h"
#include "SimulatedCamera.h"

namespace vantory::maintenance {
namespace {

constexpr const char* kCameraAddress = "127.0.0.62";
constexpr uint16_t kImagePort = 9462;
constexpr uint8_t kCmdLensWrite = 168;
constexpr uint8_t kCmdImuWrite = 169;

std::vector<float> floatsOf(const std::vector<uint8_t>& payload) {
    std::vector<float> values(payload.size() / 4);
    std::memcpy(values.data(), payload.data(), values.size() * 4);  // the camera's order is ours
    return values;
}

class CamParamsImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        camsim::SimOptions options;
        options.bindAddress = kCameraAddress;
        ASSERT_NO_FATAL_FAILURE(sim_.start(options, kImagePort));
    }
    QString write(const char* name, const char* text) {
        const QString path = dir_.filePath(QString::fromLatin1(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return path;
    }

    QTemporaryDir dir_;
    testsupport::SimulatedCamera sim_;
};

TEST_F(CamParamsImportTest, WritesTheRecordTheFileHolds) {
    struct Row {
        const char* name;
        const char* text;
        ImportResult result;
        uint8_t id;
        std::vector<float> values;
    };
    const Row rows[] = {
        {"lens.ini",
         "[lensdata]\nfx=211.5\nfy=212.25\ncx=160.5\ncy=119.75\nk1=-0.125\nk2=0.03125\nk3=0\np1=0."
         "0005\n",
         ImportResult::LensWritten,
         kCmdLensWrite,
         {211.5f, 212.25f, 160.5f, 119.75f, -0.125f, 0.03125f, 0, 0.0005f, 0}},
        {"imu.ini",
         "[imuextparams]\nqw=1\nqx=0.5\nqy=-0.25\nqz=0\ntx=0.012\nty=0.002\ntz=-0.005\n",
         ImportResult::ImuWritten,
         kCmdImuWrite,
         {1, 0.5f, -0.25f, 0, 0.012f, 0.002f, -0.005f}},
        {"both.ini",
         "[imuextparams]\nqw=1\n[lensdata]\nfx=1\nfy=2\n",
         ImportResult::LensWritten,
         kCmdLensWrite,
         {1, 2, 0, 0, 0, 0, 0, 0, 0}},
        {"neither.ini", "[other]\nfx=1\n", ImportResult::NothingToWrite, 0, {}},
    };
    for (const Row& row : rows) {
        sim_.camera().clearReceivedCommands();
        EXPECT_EQ(importCamParams(write(row.name, row.text), sim_.sdk()), row.result) << row.name;
        std::vector<camsim::ReceivedCommand> writes;
        for (const auto& command : sim_.camera().receivedCommands()) {
            if (command.id == kCmdLensWrite || command.id == kCmdImuWrite)
                writes.push_back(command);
        }
        if (row.id == 0) {
            EXPECT_TRUE(writes.empty()) << row.name;
            continue;
        }
        ASSERT_EQ(writes.size(), 1u) << row.name;
        EXPECT_EQ(writes[0].id, row.id) << row.name;
        EXPECT_EQ(floatsOf(writes[0].payload), row.values) << row.name;
    }
    EXPECT_EQ(importCamParams(dir_.filePath(QStringLiteral("missing.ini")), sim_.sdk()),
              ImportResult::NothingToWrite);
}

}  // namespace
}  // namespace vantory::maintenance
