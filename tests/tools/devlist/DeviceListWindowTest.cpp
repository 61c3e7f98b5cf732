#include "DevListTestSupport.h"
#include "MainWindow.h"

#include <QListWidget>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

// Debug lines of the window (one per announcement read), collected so that a test
// knows when every datagram it sent has been handled.
QStringList* g_debugLines = nullptr;

void collectDebug(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtDebugMsg && g_debugLines) {
        g_debugLines->append(message);
    }
}

class DeviceListWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        devlist_test::application();
        g_debugLines = &debugLines_;
        previousHandler_ = qInstallMessageHandler(collectDebug);
        window_ = std::make_unique<devlist::MainWindow>(nullptr, [this] { return nowMs_; });
        ASSERT_EQ(window_->socket()->state(), QAbstractSocket::BoundState)
            << "UDP port 7686 is taken by another program";
    }

    void TearDown() override {
        window_.reset();
        qInstallMessageHandler(previousHandler_);
        g_debugLines = nullptr;
    }

    // Sends the datagrams, then a marker that is never listed, and waits until the
    // window has read the marker: datagrams from one socket on loopback stay in order.
    bool deliver(const QList<QByteArray>& datagrams) {
        for (const QByteArray& datagram : datagrams) {
            if (!sender_.send(datagram)) {
                return false;
            }
        }
        const QString marker = QStringLiteral("sync-%1").arg(++syncCount_);
        if (!sender_.send(marker.toUtf8() + " :end")) {
            return false;
        }
        return QTest::qWaitFor(
            [&] {
                return std::any_of(debugLines_.cbegin(), debugLines_.cend(),
                                   [&](const QString& line) { return line.contains(marker); });
            },
            5000);
    }

    QStringList shown() const {
        QStringList texts;
        QListWidget* list = window_->deviceList();
        for (int i = 0; i < list->count(); ++i) {
            texts << list->item(i)->text();
        }
        return texts;
    }

    qint64 nowMs_ = 100000;
    QStringList debugLines_;
    std::unique_ptr<devlist::MainWindow> window_;

private:
    QtMessageHandler previousHandler_ = nullptr;
    devlist_test::AnnouncementSender sender_;
    int syncCount_ = 0;
};

TEST_F(DeviceListWindowTest, FormHasItsNamesTitleAndTimer) {
    EXPECT_EQ(window_->objectName(), "MainWindow");
    EXPECT_EQ(window_->windowTitle(), "MV Device list");
    EXPECT_EQ(window_->size(), QSize(800, 600));
    EXPECT_EQ(window_->centralWidget()->objectName(), "centralwidget");
    ASSERT_NE(window_->centralWidget()->findChild<QVBoxLayout*>("verticalLayout"), nullptr);
    EXPECT_EQ(window_->findChild<QListWidget*>("listWidget_dev"), window_->deviceList());
    ASSERT_NE(window_->findChild<QMenuBar*>("menubar"), nullptr);
    EXPECT_TRUE(window_->menuBar()->actions().isEmpty());
    EXPECT_NE(window_->findChild<QStatusBar*>("statusbar"), nullptr);

    EXPECT_TRUE(window_->expiryTimer()->isActive());
    EXPECT_FALSE(window_->expiryTimer()->isSingleShot());
    EXPECT_EQ(window_->expiryTimer()->interval(), 5000);
    EXPECT_EQ(window_->socket()->localPort(), devlist_test::kListenPort);
}

TEST_F(DeviceListWindowTest, AnnouncementsArriveThroughTheSocket) {
    ASSERT_TRUE(deliver({"192.168.2.101 :SN=K150-1", "172.16.0.42:SN=R300-7", "10.0.0.5:x", "hello :x",
                         "10.20.30.40", "10.20.30.41 trailing", "256.0.0.1 :x", ""}));

    // The colon straight after 172.16.0.42 cuts the address to 172.16.0.4, still an address;
    // 10.0.0.5 loses its 5 and is dropped.
    EXPECT_EQ(shown(), (QStringList{"192.168.2.101 :SN=K150-1", "172.16.0.42:SN=R300-7", "10.20.30.40"}));
    EXPECT_TRUE(debugLines_.contains("\"172.16.0.4\""));
    EXPECT_FALSE(debugLines_.contains("updata list"));

    ASSERT_TRUE(deliver({"192.168.2.101 :SN=K150-1 fw=2"}));
    EXPECT_EQ(shown().at(0), "192.168.2.101 :SN=K150-1 fw=2");
    EXPECT_EQ(shown().size(), 3);
    EXPECT_EQ(debugLines_.count("updata list"), 1);
}

TEST_F(DeviceListWindowTest, OddDatagramsAreHandledWithoutHarm) {
    QByteArray big("10.4.0.1 :");
    big.append(QByteArray(60000, 'x'));
    ASSERT_TRUE(deliver({QByteArray("\xff\xfe\x00:x", 5), big, QByteArray("10.4.0.2 :\xc3\xa9t\xc3\xa9")}));
    ASSERT_EQ(window_->deviceList()->count(), 2);
    EXPECT_EQ(shown().at(0).size(), big.size());
    EXPECT_EQ(shown().at(1), QString::fromUtf8("10.4.0.2 :\xc3\xa9t\xc3\xa9"));
}

TEST_F(DeviceListWindowTest, TimerRunsTheExpiryCheck) {
    ASSERT_TRUE(deliver({"10.6.0.1 :a"}));
    nowMs_ += 30000;
    // A short interval lets the real timer fire instead of waiting five seconds.
    window_->expiryTimer()->setInterval(10);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window_->deviceList()->count() == 0; }, 5000));
}

}  // namespace
