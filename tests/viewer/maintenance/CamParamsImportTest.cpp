// Lens and IMU parameter files written into the simulated camera: which record goes out
// and its exact bytes.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cstring>
#include <thread>

#include "CamParamsImport.h"
#include "CameraSim.h"
#include "mvsdk/MvSdk.h"

namespace vantory::maintenance {
namespace {

constexpr const char* kCameraAddress = "127.0.0.62";
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
        previous_ = QDir::currentPath();
        QDir::setCurrent(dir_.path());  // the SDK log goes to the working directory
        camsim::SimOptions options;
        options.bindAddress = kCameraAddress;
        options.announce = false;
        camera_ = std::make_unique<camsim::CameraSim>(options);
        std::string error;
        ASSERT_TRUE(camera_->start(&error)) << error;
        sdk_ = std::make_unique<Movoda::MvSdk>("", "mvlog");
        sdk_->setConnectAddress(kCameraAddress);
        sdk_->startup();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (!sdk_->isConnected() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ASSERT_TRUE(sdk_->isConnected());
    }
    void TearDown() override {
        sdk_.reset();
        if (camera_) camera_->stop();
        QDir::setCurrent(previous_);
    }
    QString write(const char* name, const char* text) {
        const QString path = dir_.filePath(QString::fromLatin1(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return path;
    }

    QTemporaryDir dir_;
    QString previous_;
    std::unique_ptr<camsim::CameraSim> camera_;
    std::unique_ptr<Movoda::MvSdk> sdk_;
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
        camera_->clearReceivedCommands();
        EXPECT_EQ(importCamParams(write(row.name, row.text), *sdk_), row.result) << row.name;
        std::vector<camsim::ReceivedCommand> writes;
        for (const auto& command : camera_->receivedCommands()) {
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
    EXPECT_EQ(importCamParams(dir_.filePath(QStringLiteral("missing.ini")), *sdk_),
              ImportResult::NothingToWrite);
}

}  // namespace
}  // namespace vantory::maintenance
