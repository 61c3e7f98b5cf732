// The settings file on disk: first start, load rules, the full round trip, the two
// spellings of the filter key, files written by vantory-reset, and a save that fails.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include "ResetConstants.h"
#include "SettingsKeys.h"
#include "SettingsReset.h"
#include "SettingsStore.h"

namespace vantory {
namespace {

using namespace settings;

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        previous_ = QDir::currentPath();
        QDir::setCurrent(dir_.path());
    }
    void TearDown() override { QDir::setCurrent(previous_); }
    QString path() const { return dir_.filePath(QStringLiteral("gui.ini")); }
    void write(const QString& text) {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.toUtf8());
    }
    QVariant stored(const char* key) const { return QSettings(path(), QSettings::IniFormat).value(QString::fromLatin1(key)); }

    QTemporaryDir dir_;
    QString previous_;
};

// Every field away from its first-run value.
ViewerSettings everyFieldChanged() {
    ViewerSettings v;
    v.useUsb = true;
    v.ipAddress = QStringLiteral("10.1.2.3");
    v.imgType = 4;
    v.series = {1, {210, 820, 1930, 40, 50}};
    v.freqIndices = {0, 1, 2, 3, 5};
    v.intGs = 3100;
    v.minLsb = 77;
    v.minDist = 30;
    v.maxDist = 4500;
    v.modFreq = 2;
    v.pclFilterOn = false;
    v.hMirror = true;
    v.vMirror = true;
    v.maxFps = 25;
    v.renderType = 1;
    v.cloudCoord = 1;
    v.cutCorner = 45;
    FilterValues& f = v.filters;
    f.medianSize = 5, f.kalmanEnable = false, f.kalmanFactor = 0.45, f.kalmanThreshold = 410;
    f.edgeEnable = false, f.edgeThreshold = 150, f.dustEnable = false, f.dustThreshold = 3500, f.dustFrames = 4;
    f.postprocessThreshold = 7.5, f.dynamicsEnabled = false, f.dynamicsWinsize = 11, f.dynamicsMotionsize = 6;
    f.reflectiveEnable = false, f.refThMin = 1.5, f.refThMax = 9.25, f.spatialEnable = true, f.spatialAlpha = 0.55;
    f.spatialDelta = 90, f.spatialIterations = 3, f.averageEnable = true, f.averageSize = 6;
    v.mainWindow = {15, 25, 1300, 760};
    v.cloudWindow = {700, 40, 640, 480};
    v.cloudShowGrid = false;
    v.cloudGridHeight = 1.75;
    return v;
}

TEST_F(SettingsStoreTest, FirstStartWritesTheDefaultsAndReadsThemBack) {
    SettingsStore store(QStringLiteral("gui.ini"));
    const ViewerSettings v = store.load();
    EXPECT_EQ(stored(kIpAddress).toString(), QStringLiteral("192.168.2.101"));
    EXPECT_EQ(stored(kMaxDist).toInt(), 1250);
    EXPECT_EQ(stored(kAverageSize).toInt(), 4);
    EXPECT_EQ(QSettings(path(), QSettings::IniFormat).allKeys().filter(QStringLiteral("Filters/")).size(), 23);
    EXPECT_EQ(v.ipAddress, QStringLiteral("192.168.2.101"));
    EXPECT_EQ(v.imgType, 1);
    EXPECT_EQ(v.series, (SeriesValues{0, {100, 500, 1500, 0, 0}}));
    EXPECT_EQ(v.maxDist, 1250);
    EXPECT_EQ(v.intGs, 2000);
    EXPECT_TRUE(v.pclFilterOn);
    EXPECT_EQ(v.filters.kalmanFactor, std::optional<double>(0.3));
    EXPECT_EQ(v.filters.medianSize, std::optional<int>(3));
    EXPECT_FALSE(v.mainWindow.applies());

    // The common file: per-model display maxima, 100 where none is stored.
    EXPECT_TRUE(store.saveReflectivityRenderMax(QStringLiteral("K150PLUS"), 250));
    const CommonTables tables = store.commonTables();
    EXPECT_EQ(tables.reflectivityRenderMax[3], 250);
    EXPECT_EQ(tables.reflectivityRenderMax[13], 100);
}

TEST_F(SettingsStoreTest, LoadRulesOfSingleKeys) {
    struct Row {
        const char* key;
        QVariant value;
        std::function<bool(const ViewerSettings&)> check;
    };
    const Row rows[] = {
        {kMaxFps, 0, [](const ViewerSettings& v) { return v.maxFps == 10; }},
        {kMaxFps, 45, [](const ViewerSettings& v) { return v.maxFps == 30; }},
        {kMaxFps, 30, [](const ViewerSettings& v) { return v.maxFps == 30; }},
        {kKalmanFactor, 1.0, [](const ViewerSettings& v) { return !v.filters.kalmanFactor; }},
        {kKalmanFactor, 0.1, [](const ViewerSettings& v) { return v.filters.kalmanFactor == 0.1; }},
        {kFreq[0], 100, [](const ViewerSettings& v) { return v.freqIndices[0] == kNoSelection; }},
        {kFreq[0], 5, [](const ViewerSettings& v) { return v.freqIndices[0] == kNoSelection; }},
        {kFreq[0], 6, [](const ViewerSettings& v) { return v.freqIndices[0] == 3; }},
        {kRenderType, 3, [](const ViewerSettings& v) { return !v.renderType; }},
        {kModFreq, 4, [](const ViewerSettings& v) { return v.modFreq == 2; }},
        {kModFreq, 5, [](const ViewerSettings& v) { return !v.modFreq; }},
        {kDustThreshold, 10000, [](const ViewerSettings& v) { return !v.filters.dustThreshold; }},
        {kRefThMax, 50.5, [](const ViewerSettings& v) { return !v.filters.refThMax; }},
        {kMainWindowGeometry[1], 0, [](const ViewerSettings& v) { return !v.mainWindow.applies(); }},
    };
    SettingsStore store(QStringLiteral("gui.ini"));
    for (const Row& row : rows) {
        QFile::remove(path());
        store.load();  // first-run defaults
        {
            QSettings file(path(), QSettings::IniFormat);
            for (const char* key : kMainWindowGeometry) file.setValue(QString::fromLatin1(key), 100);
            file.setValue(QString::fromLatin1(row.key), row.value);
        }
        EXPECT_TRUE(row.check(store.load())) << row.key << " = " << row.value.toString().toStdString();
    }
}

TEST_F(SettingsStoreTest, EveryKeyRoundTripsThroughSaveAndLoad) {
    SettingsStore store(QStringLiteral("gui.ini"));
    store.load();
    const ViewerSettings saved = everyFieldChanged();
    ASSERT_TRUE(store.save(saved, false));
    EXPECT_EQ(store.load(), saved);

    // The K150 series keeps its HDR mode and times under its own keys.
    ViewerSettings k150 = saved;
    k150.series = {0, {30, 410, 2100, 0, 0}};
    k150.freqIndices[4] = 6;  // "0.75M" has no code: stored as 100, loads with no selection
    ASSERT_TRUE(store.save(k150, true));
    EXPECT_EQ(store.loadSeries(true), k150.series);
    EXPECT_EQ(store.loadSeries(false), saved.series);
    EXPECT_EQ(stored(kFreq[4]).toInt(), kUnknownFreqCode);
    EXPECT_EQ(store.load().freqIndices[4], kNoSelection);
}

TEST_F(SettingsStoreTest, SeriesDefaultsAreWrittenOncePerSeries) {
    write(QStringLiteral("[Setting]\nipaddress=1.2.3.4\n"));
    SettingsStore store(QStringLiteral("gui.ini"));
    EXPECT_EQ(store.loadSeries(true), (SeriesValues{1, {25, 400, 2000, 0, 0}}));
    EXPECT_EQ(store.loadSeries(false), (SeriesValues{1, {150, 2000, 0, 0, 0}}));
    QSettings(path(), QSettings::IniFormat).setValue(QString::fromLatin1(kIntK150[0]), 60);
    EXPECT_EQ(store.loadSeries(true).intTimes[0], 60);
}

TEST_F(SettingsStoreTest, EitherSpellingOfTheFilterKeyLoadsAndOneIsWritten) {
    SettingsStore store(QStringLiteral("gui.ini"));
    write(QStringLiteral("[Setting]\nipaddress=1.2.3.4\npclfilterOn=0\n"));
    EXPECT_FALSE(store.load().pclFilterOn);
    write(QStringLiteral("[Setting]\nipaddress=1.2.3.4\npclFilterOn=0\n"));
    EXPECT_FALSE(store.load().pclFilterOn);
    // Both: the one written last (further down) wins.
    write(QStringLiteral("[Setting]\nipaddress=1.2.3.4\npclFilterOn=0\npclfilterOn=1\n"));
    EXPECT_TRUE(store.load().pclFilterOn);
    write(QStringLiteral("[Setting]\nipaddress=1.2.3.4\npclfilterOn=1\npclFilterOn=0\n"));
    ViewerSettings v = store.load();
    EXPECT_FALSE(v.pclFilterOn);
    ASSERT_TRUE(store.save(v, false));
    const QStringList keys = QSettings(path(), QSettings::IniFormat).allKeys();
    EXPECT_TRUE(keys.contains(QString::fromLatin1(kPclFilterOn)));
    EXPECT_FALSE(keys.contains(QString::fromLatin1(kPclFilterOnDefaults)));
}

TEST_F(SettingsStoreTest, FileRestoredByTheResetToolLoads) {
    // The reset tool and the viewer spell the keys alike.
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_STREQ(reset::kGeometryKeys[i], kMainWindowGeometry[i]);
        EXPECT_STREQ(reset::kGeometryKeys[i + 4], kCloudWindowGeometry[i]);
    }
    EXPECT_STREQ(reset::kKeyIpAddress, kIpAddress);
    EXPECT_STREQ(reset::kKeyImageType, kImgType);

    SettingsStore store(QStringLiteral("gui.ini"));
    store.load();
    {
        QSettings reference(dir_.filePath(QString::fromLatin1(reset::kReferenceFile)), QSettings::IniFormat);
        reference.setValue(QString::fromLatin1(kImgType), 2);
        reference.setValue(QString::fromLatin1(kHdrK150), 1);
        reference.setValue(QString::fromLatin1(kIntK150[0]), 35);
        reference.setValue(QString::fromLatin1(kPclFilterOnDefaults), 0);
        reference.setValue(QString::fromLatin1(kKalmanFactor), 0.5);
    }
    ASSERT_EQ(reset::runCommand({QString::fromLatin1(reset::kCmdRestore)}, QDir(dir_.path())), 0);
    const ViewerSettings v = store.load();
    EXPECT_EQ(v.imgType, 2);
    EXPECT_FALSE(v.pclFilterOn);
    EXPECT_EQ(v.filters.kalmanFactor, std::optional<double>(0.5));
    EXPECT_EQ(store.loadSeries(true), (SeriesValues{1, {35, 0, 0, 0, 0}}));
}

TEST_F(SettingsStoreTest, FailedSaveKeepsTheOldFile) {
    SettingsStore store(QStringLiteral("gui.ini"));
    store.load();
    QFile original(path());
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray before = original.readAll();
    original.close();
    // The new file cannot be built where a folder stands in its way.
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("gui.ini.saving")));
    QString error;
    EXPECT_FALSE(store.save(everyFieldChanged(), false, &error));
    EXPECT_FALSE(error.isEmpty());
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    EXPECT_EQ(original.readAll(), before);
}

}  // namespace
}  // namespace vantory
