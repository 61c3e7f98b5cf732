#include "DevListTestSupport.h"
#include "DeviceRows.h"

#include <QListWidget>

#include <gtest/gtest.h>

namespace {

using devlist::DeviceRows;
using Outcome = devlist::DeviceRows::Outcome;

class DeviceRowsTest : public ::testing::Test {
protected:
    QStringList shown() const {
        QStringList texts;
        for (int i = 0; i < list_->count(); ++i) {
            texts << list_->item(i)->text();
        }
        return texts;
    }

    devlist_test::ApplicationReady app_;
    std::unique_ptr<QListWidget> list_ = std::make_unique<QListWidget>();
    DeviceRows rows_{list_.get()};
};

TEST_F(DeviceRowsTest, SecondAnnouncementRefreshesTheRowWithTheNewerText) {
    EXPECT_EQ(rows_.announce("10.1.1.1 :fw=1", 0), Outcome::Added);
    EXPECT_EQ(rows_.announce("10.1.1.2 :fw=1", 0), Outcome::Added);
    EXPECT_EQ(rows_.announce("10.1.1.1 :fw=2", 10), Outcome::Refreshed);
    EXPECT_EQ(shown(), (QStringList{"10.1.1.1 :fw=2", "10.1.1.2 :fw=1"}));
}

TEST_F(DeviceRowsTest, AnAddressContainedInAnotherRowRefreshesThatRow) {
    rows_.announce("10.0.0.12 :a", 0);
    EXPECT_EQ(rows_.announce("10.0.0.1 :b", 1), Outcome::Refreshed);
    EXPECT_EQ(shown(), QStringList{"10.0.0.1 :b"});
    // The row now names 10.0.0.1, so the longer address gets a row of its own.
    EXPECT_EQ(rows_.announce("10.0.0.12 :c", 2), Outcome::Added);
    // The first row that contains the address wins.
    EXPECT_EQ(rows_.announce("10.0.0.1 :d", 3), Outcome::Refreshed);
    EXPECT_EQ(shown(), (QStringList{"10.0.0.1 :d", "10.0.0.12 :c"}));
}

TEST_F(DeviceRowsTest, ExpiryKeepsRowsAndTimesTogether) {
    rows_.announce("10.3.0.1 :a", 0);
    rows_.announce("10.3.0.2 :b", 0);
    rows_.announce("10.3.0.3 :c", 1000);
    rows_.announce("10.3.0.4 :d", 5000);
    rows_.announce("10.3.0.5 :e", 0);
    rows_.announce("10.3.0.3 :c2", 20000);  // refresh restarts the silence

    // Several stale rows go in one check; the others keep their order.
    EXPECT_EQ(rows_.expire(24500), 3);
    EXPECT_EQ(shown(), (QStringList{"10.3.0.3 :c2", "10.3.0.4 :d"}));

    // Each remaining row still carries its own time: d (5 s) goes before c2 (20 s).
    EXPECT_EQ(rows_.expire(28001), 1);
    EXPECT_EQ(shown(), QStringList{"10.3.0.3 :c2"});
    rows_.announce("10.3.0.4 :d2", 28001);
    EXPECT_EQ(rows_.expire(43001), 1);
    EXPECT_EQ(shown(), QStringList{"10.3.0.4 :d2"});
    EXPECT_EQ(rows_.expire(51001), 0);  // exactly 23 s: still listed
    EXPECT_EQ(rows_.expire(51002), 1);
}

}  // namespace
