#include "DevListTestSupport.h"
#include "SingleInstanceMarker.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include <memory>

namespace {

using devlist::SingleInstanceMarker;

TEST(SingleInstanceMarkerTest, OneHolderAtATimeAndFreeAgainAfterRelease) {
    const QString key = QStringLiteral("VANTORY_TEST_MARKER_%1").arg(QCoreApplication::applicationPid());
    auto first = std::make_unique<SingleInstanceMarker>(key);
    ASSERT_TRUE(first->acquire());

    SingleInstanceMarker second(key);
    EXPECT_FALSE(second.acquire());
    // Asking again does not take the marker away from its holder.
    EXPECT_FALSE(second.acquire());

    first.reset();
    EXPECT_TRUE(second.acquire());
}

// Runs the real program under the offscreen platform.
class DevListProgramTest : public ::testing::Test {
protected:
    void SetUp() override { devlist_test::application(); }

    void TearDown() override {
        for (auto& process : processes_) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(5000);
            }
        }
        // A killed copy leaves its segment behind; taking and releasing the marker removes it.
        SingleInstanceMarker cleanup(QStringLiteral("MV_DEVLIST"));
        cleanup.acquire();
    }

    QProcess& start() {
        processes_.push_back(std::make_unique<QProcess>());
        QProcess& process = *processes_.back();
        process.start(QStringLiteral(VANTORY_DEVLIST_BINARY), {});
        return process;
    }

    // True once the program lists announcements: it repeats one until the program
    // reports the address on its debug output.
    bool waitUntilListening(QProcess& process, const QByteArray& address) {
        QByteArray output;
        const QDeadlineTimer deadline(15000);
        while (!deadline.hasExpired() && process.state() != QProcess::NotRunning) {
            sender_.send(address + " :probe");
            process.waitForReadyRead(100);
            output += process.readAllStandardError();
            if (output.contains(address)) {
                return true;
            }
        }
        return false;
    }

private:
    std::vector<std::unique_ptr<QProcess>> processes_;
    devlist_test::AnnouncementSender sender_;
};

TEST_F(DevListProgramTest, SecondCopyExitsAndAKilledCopyDoesNotBlockTheNext) {
    QProcess& first = start();
    ASSERT_TRUE(waitUntilListening(first, "10.77.0.1"));

    QProcess& second = start();
    ASSERT_TRUE(second.waitForFinished(15000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 255);  // -1 as the parent sees it
    EXPECT_TRUE(second.readAllStandardError().contains("another copy already lists the cameras"));
    EXPECT_EQ(first.state(), QProcess::Running);

    // A crash leaves the marker's segment behind; it must not keep the next copy out.
    first.kill();
    ASSERT_TRUE(first.waitForFinished(5000));
    QProcess& third = start();
    EXPECT_TRUE(waitUntilListening(third, "10.77.0.3"));
    EXPECT_EQ(third.state(), QProcess::Running);
}

}  // namespace
