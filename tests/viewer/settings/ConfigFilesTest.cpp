// Configuration files, scene files (including the one we ship) and the per-camera
// configuration folders, on disk.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include "CameraConfig.h"
#include "ModelTable.h"
#include "SceneFile.h"
#include "SettingsKeys.h"
#include "SnConfigs.h"
#include "ValueRules.h"

namespace vantory {
namespace {

using namespace settings;

class ConfigFilesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
    QTemporaryDir dir_;
};

// Every value away from its default, each within its load rule.
CameraConfig changedConfig() {
    CameraConfig c;
    c.imgType = 3, c.deviceType = 5, c.hdr = 1, c.intTimes = {11, 222, 1333, 44, 55};
    c.intGs = 1800, c.minLsb = 33, c.hMirror = true, c.vMirror = false, c.maxFps = 17;
    c.cutCorner = 60, c.freqIndices = {0, 1, 2, 3, 5}, c.renderType = 2, c.pclFilterOn = true;
    c.hBinning = true, c.vBinning = false;
    FilterValues& f = c.filters;
    f.medianSize = 5, f.kalmanEnable = true, f.kalmanFactor = 0.45, f.kalmanThreshold = 410;
    f.edgeEnable = false, f.edgeThreshold = 150, f.dustEnable = true, f.dustThreshold = 2500;
    f.dustFrames = 3, f.postprocessThreshold = 4.5, f.dynamicsEnabled = false;
    f.dynamicsWinsize = 7, f.dynamicsMotionsize = 3, f.reflectiveEnable = false;
    f.refThMin = 1.5, f.refThMax = 7.5, f.spatialEnable = true, f.spatialAlpha = 0.6;
    f.spatialDelta = 50, f.spatialIterations = 3, f.averageEnable = true, f.averageSize = 6;
    return c;
}

TEST_F(ConfigFilesTest, ExportThenImportRestoresEveryValue) {
    CameraConfig written = changedConfig();
    written.filters.kalmanFactor = 0.456;  // stored with 2 decimals
    ASSERT_TRUE(writeCameraConfig(path("a.mvcfg"), written));
    EXPECT_EQ(QSettings(path("a.mvcfg"), QSettings::IniFormat)
                  .value(QLatin1String(kKalmanFactor))
                  .toString(),
              QStringLiteral("0.46"));
    const auto read = readCameraConfig(path("a.mvcfg"));
    ASSERT_TRUE(read);
    CameraConfig expected = changedConfig();
    expected.filters.kalmanFactor = 0.46;
    EXPECT_EQ(*read, expected);

    // A factor that two decimals would round up to 1.00 stays one the import accepts.
    written.filters.kalmanFactor = 0.997;
    ASSERT_TRUE(writeCameraConfig(path("edge.mvcfg"), written));
    const auto edge = readCameraConfig(path("edge.mvcfg"));
    ASSERT_TRUE(edge);
    EXPECT_EQ(edge->filters.kalmanFactor, std::optional<double>(0.99));
}

TEST_F(ConfigFilesTest, LoadRulesApplyAndUnusableFilesChangeNothing) {
    CameraConfig c = changedConfig();
    c.freqIndices[4] = 6;  // "0.75M" has no code: stored as 100, loaded as no selection
    c.maxFps = 45;
    c.hBinning.reset();
    ASSERT_TRUE(writeCameraConfig(path("b.mvcfg"), c));
    const auto read = readCameraConfig(path("b.mvcfg"));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->freqIndices[4], kNoSelection);
    EXPECT_EQ(read->maxFps, 30);
    EXPECT_FALSE(read->hBinning);
    EXPECT_EQ(read->vBinning, std::optional<bool>(false));

    QSettings(path("noimgtype.mvcfg"), QSettings::IniFormat).setValue(QLatin1String(kHdr), 1);
    QDir(dir_.path()).mkdir(QStringLiteral("folder.mvcfg"));
    for (const char* name : {"missing.mvcfg", "noimgtype.mvcfg", "folder.mvcfg"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(readCameraConfig(path(name)));
    }
}

TEST_F(ConfigFilesTest, ScenesAreReadUnderTheSerialNumbersModelString) {
    struct Case {
        const char* serial;
        const char* model;
    };
    const std::vector<Case> cases = {
        {"K150LITE0012", "R300LITE"},  // a token at the very start does not count
        {"MK150LITE0012", "K150LITE"},
        {"mk150supra77", "K150SPURA"},  // the scene spelling of SUPRA
        {"XYZ", "R300LITE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.serial);
        EXPECT_EQ(models::modelStringOf(c.serial), c.model);
    }
    {
        QSettings file(path("scene.ini"), QSettings::IniFormat);
        file.setValue(QStringLiteral("K150SPURA.Scene2.Setting/int2"), 321);
        file.setValue(QStringLiteral("K150SPURA.Scene2.Setting/maxfps"), 45);
        file.setValue(QStringLiteral("K150SPURA.Scene2.Setting/freq1"), 6);
        file.setValue(QStringLiteral("K150SPURA.Scene2.Setting/binx"), 1);
        file.setValue(QStringLiteral("K150SPURA.Scene2.Filters/kalmanFactor"), 1.0);
        file.setValue(QStringLiteral("K150SPURA.Scene2.Filters/medianSize"), 5);
        file.setValue(QStringLiteral("K150SPURA.Scene2.Setting/pclfilterOn"), 1);
        file.setValue(QStringLiteral("K150SPURA.Scene2.Setting/cloudcoord"), 2);
    }
    const QSettings file(path("scene.ini"), QSettings::IniFormat);
    EXPECT_TRUE(hasScene(file, "K150SPURA", 2));
    EXPECT_FALSE(hasScene(file, "K150SPURA", 1));
    EXPECT_FALSE(hasScene(file, "K150SUPRA", 2));
    const SceneSettings s = readSceneSettings(file, "K150SPURA", 2);
    EXPECT_EQ(s.intTimes, (std::array<int, 5>{0, 321, 0, 0, 0}));  // missing keys read 0
    EXPECT_EQ(s.maxFps, 30);
    EXPECT_EQ(s.freqIndices[0], 3);  // code 6 is "4.8M"
    EXPECT_TRUE(s.binX);
    EXPECT_FALSE(s.binY);
    const SceneFilters f = readSceneFilters(file, "K150SPURA", 2);
    EXPECT_FALSE(f.filters.kalmanFactor);  // 1.0 fails its load rule
    EXPECT_EQ(f.filters.medianSize, std::optional<int>(5));
    EXPECT_TRUE(f.pclFilterOn);
    EXPECT_FALSE(f.cloudCoord);
}

// The scene file we ship has both scenes for every model a camera can report, and every
// value passes its load rule (a failing one would silently keep the previous value).
TEST_F(ConfigFilesTest, ShippedSceneFileCoversEveryModel) {
    const QSettings file(QStringLiteral(VANTORY_SCENE_FILE), QSettings::IniFormat);
    ASSERT_EQ(file.status(), QSettings::NoError);
    for (const models::ModelEntry& entry : models::modelTable()) {
        const std::string model = models::modelStringOf(std::string("X") + entry.name + "0001");
        for (int scene : {kSceneStill, kSceneDynamic}) {
            SCOPED_TRACE(model + " scene " + std::to_string(scene));
            ASSERT_TRUE(hasScene(file, model, scene));
            const SceneSettings s = readSceneSettings(file, model, scene);
            EXPECT_GT(s.maxFps, 0);
            EXPECT_GT(s.intTimes[0], 0);
            for (int index : s.freqIndices) EXPECT_NE(index, kNoSelection);
            const FilterValues f = readSceneFilters(file, model, scene).filters;
            for (bool present :
                 {f.medianSize.has_value(), f.kalmanFactor.has_value(),
                  f.kalmanThreshold.has_value(), f.edgeThreshold.has_value(),
                  f.dustThreshold.has_value(), f.dustFrames.has_value(),
                  f.postprocessThreshold.has_value(), f.dynamicsWinsize.has_value(),
                  f.dynamicsMotionsize.has_value(), f.refThMin.has_value(), f.refThMax.has_value(),
                  f.spatialAlpha.has_value(), f.spatialDelta.has_value(),
                  f.spatialIterations.has_value(), f.averageSize.has_value()}) {
                EXPECT_TRUE(present);
            }
        }
    }
}

TEST_F(ConfigFilesTest, PerCameraFolderIsTheFirstWhoseNameIsInTheSerialNumber) {
    QDir root(dir_.path());
    ASSERT_TRUE(root.mkpath(QStringLiteral("sncfgs/k150plus")));
    ASSERT_TRUE(root.mkpath(QStringLiteral("sncfgs/R300")));
    QFile stray(root.filePath(QStringLiteral("sncfgs/K150PLUS-notes.txt")));
    ASSERT_TRUE(stray.open(QIODevice::WriteOnly));
    stray.close();
    const auto found = findSnConfigFolder(dir_.path(), QStringLiteral("mk150plus0042"), false);
    ASSERT_TRUE(found);
    EXPECT_TRUE(found->endsWith(QStringLiteral("/k150plus")));
    EXPECT_FALSE(findSnConfigFolder(dir_.path(), QStringLiteral("MK75ANY01"), false));
    EXPECT_FALSE(findSnConfigFolder(path("nowhere"), QStringLiteral("MK150PLUS"), false));
}

}  // namespace
}  // namespace vantory
