// The playback thread's order, pace and end, and the recent directories, on real files
// in a temporary folder. The SDK's part is played by the hooks, which note what reaches them.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <thread>

#include "Playback.h"
#include "PlaybackSequence.h"
#include "RecentDirs.h"
#include "UiUpdateCodes.h"

using namespace vantory::records;

namespace {

TEST(PlaybackSequenceTest, OrderAtBothEnds) {
    struct Case {
        int index, count;
        bool backward, loop;
        int next;
        PlaybackEnd end;
    };
    for (const Case c : {Case{0, 3, false, true, 1, PlaybackEnd::None},
                         Case{2, 3, false, true, 0, PlaybackEnd::None},
                         Case{2, 3, false, false, 2, PlaybackEnd::Forward},
                         Case{0, 3, true, true, 2, PlaybackEnd::None},
                         Case{1, 3, true, false, 0, PlaybackEnd::None},
                         Case{0, 3, true, false, 0, PlaybackEnd::Backward},
                         Case{0, 1, false, false, 0, PlaybackEnd::Forward}}) {
        const PlaybackStep step = advancePlayback(c.index, c.count, c.backward, c.loop);
        EXPECT_EQ(step.index, c.next) << c.index << " " << c.backward << c.loop;
        EXPECT_EQ(step.end, c.end) << c.index << " " << c.backward << c.loop;
    }
    EXPECT_EQ(playFpsFromBox(0), 10);
    EXPECT_EQ(playFpsFromBox(100), 100);
    EXPECT_EQ(playPeriod(0), std::chrono::milliseconds(100));
}

class PlaybackTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        // Three version-3 record files holding a tiny frame payload each (the hooks do not decode).
        for (int k = 0; k < 3; ++k) paths_.push_back(writeRecord(k));
    }

    std::string writeRecord(int k) {
        const std::string path = dir_.filePath(QString::number(k) + ".xbin").toStdString();
        std::vector<uint8_t> bytes = {3, 0, 0, 0, 251, 0, uint8_t(k), 0, 1, 0, 1, 0, 0, 0, 3};
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
        return path;
    }

    PlaybackHooks hooks() {
        PlaybackHooks h;
        h.replayFrame = [this](const std::vector<uint8_t>&, const std::string& tag) {
            std::lock_guard<std::mutex> lock(mutex_);
            played_.push_back(tag);
            changed_.notify_all();
            return true;
        };
        h.post = [this](int code) {
            std::lock_guard<std::mutex> lock(mutex_);
            posted_.push_back(code);
            changed_.notify_all();
        };
        return h;
    }

    // Waits (bounded) until `condition` holds under the lock.
    bool waitFor(const std::function<bool()>& condition, int ms = 10000) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(ms), condition);
    }

    QTemporaryDir dir_;
    std::vector<std::string> paths_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> played_;
    std::vector<int> posted_;
};

TEST_F(PlaybackTest, ThreeFilesForwardBackwardAndLooping) {
    struct Case {
        bool backward;
        std::vector<std::string> order;
    };
    for (const Case& c : {Case{false, {"0", "1", "2", "0", "1", "2", "0"}},
                          Case{true, {"0", "2", "1", "0", "2", "1", "0"}}}) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            played_.clear();
        }
        Playback playback(hooks());
        playback.setPlayFps(100);
        playback.setBackward(c.backward);
        playback.start(paths_);
        ASSERT_TRUE(waitFor([&] { return played_.size() >= c.order.size(); }));
        playback.stop();
        EXPECT_FALSE(playback.running());
        std::lock_guard<std::mutex> lock(mutex_);
        EXPECT_EQ(std::vector<std::string>(played_.begin(), played_.begin() + long(c.order.size())),
                  c.order);
    }
}

TEST_F(PlaybackTest, ASingleFilePlaysOnceThenPausesAtItsEnd) {
    Playback playback(hooks());
    playback.setPlayFps(100);
    playback.start({paths_[1]});
    ASSERT_TRUE(waitFor([&] { return played_.size() == 1; }));
    // The last file is held for 5 s, then the playback pauses (code 12 shows "Play").
    ASSERT_TRUE(waitFor([&] { return !playback.playing(); }, 10000));
    EXPECT_TRUE(playback.running());  // paused, not ended: Play plays it again
    EXPECT_EQ(playback.playIndex(), 0);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        EXPECT_EQ(played_, std::vector<std::string>{"1"});
        ASSERT_FALSE(posted_.empty());
        EXPECT_EQ(posted_.back(), vantory::kUpdatePlayButton);
    }
    playback.setPlaying(true);
    ASSERT_TRUE(waitFor([&] { return played_.size() == 2; }));
    // A new start ends the running playback first.
    playback.start(paths_);
    ASSERT_TRUE(waitFor([&] { return played_.size() >= 3 && played_.back() == "0"; }));
    playback.stop();
}

TEST_F(PlaybackTest, ClearedPlaybackModeEndsTheThread) {
    std::atomic<bool> mode{true};
    PlaybackHooks h = hooks();
    h.playbackMode = [&mode] { return mode.load(); };
    Playback playback(h);
    playback.setPlayFps(100);
    playback.start(paths_);
    ASSERT_TRUE(waitFor([&] { return played_.size() >= 2; }));
    mode = false;  // live streaming started
    ASSERT_TRUE(waitFor([&] { return !playback.running(); }, 5000));
}

TEST(RecentDirsTest, SeventhDirectoryDropsTheOldestAndAKnownOneMovesToTheFront) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString store = root.filePath("recent.ini");
    RecentDirs recent([store] { return std::make_unique<QSettings>(store, QSettings::IniFormat); });
    QStringList dirs;
    for (int k = 0; k < 7; ++k) {
        const QString dir = root.filePath("d" + QString::number(k));
        QDir().mkpath(dir);
        QFile(dir + "/0.xbin").open(QIODevice::WriteOnly);
        recent.addFromFiles({dir + "/0.xbin", dir + "/1.xbin"});
        dirs.prepend(QDir::cleanPath(dir));
    }
    EXPECT_EQ(recent.load(), dirs.mid(0, 5));
    recent.addFromFiles({dirs[3] + "/0.xbin"});
    EXPECT_EQ(recent.load(), (QStringList{dirs[3], dirs[0], dirs[1], dirs[2], dirs[4]}));
    // A path that does not exist changes nothing.
    recent.addFromFiles({root.filePath("missing/0.xbin")});
    recent.addFromFiles({});
    EXPECT_EQ(recent.load().size(), 5);
    EXPECT_EQ(recent.load().front(), dirs[3]);
}

}  // namespace
