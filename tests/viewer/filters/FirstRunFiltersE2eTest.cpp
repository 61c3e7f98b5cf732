// The stored first-run filter settings and the shipped scenes, sent the way the filter
// window sends them, keep the simulated room: the SDK streams it from 127.0.0.180 (image
// port 8780) with its filter library beside this program, and nearly every measured
// pixel must survive.
#include <vector>

#include <QSettings>

#include "E2eSupport.h"
#include "FilterSender.h"
#include "SceneFile.h"

namespace {

using namespace e2e;

constexpr const char* kCamera = "127.0.0.180";
constexpr uint16_t kImagePort = 8780;

double measuredShare(const Movoda::Frame& frame) {
    const size_t n = size_t(frame.width()) * size_t(frame.height());
    size_t measured = 0;
    for (size_t i = 0; i < n; ++i) {
        const uint32_t d = frame.distancePlane()[i];
        if (d > 0 && d < Movoda::kDistanceInvalidFrom) ++measured;
    }
    return n == 0 ? 0.0 : double(measured) / double(n);
}

// Mean share of measured pixels over the last frames once `after` frames had arrived.
double shareAfter(FrameSink& sink, size_t after) {
    constexpr size_t kFrames = 5;
    EXPECT_TRUE(sink.waitForCount(after + kFrames, 8000ms));
    const auto kept = sink.kept();
    double sum = 0;
    size_t count = 0;
    for (size_t i = kept.size() >= kFrames ? kept.size() - kFrames : 0; i < kept.size(); ++i) {
        sum += measuredShare(*kept[i]), ++count;
    }
    return count == 0 ? 0.0 : sum / double(count);
}

TEST(FirstRunFiltersE2e, DefaultFiltersKeepTheRoomScene) {
    camsim::SimOptions options = cameraOptions(kCamera);
    options.scene.name = "room";
    options.noise = 1.0;
    options.config.maxFps = 20;
    auto camera = startCamera(options);
    SdkRig rig;
    rig.connect(kCamera, kCamera, kImagePort);
    ASSERT_TRUE(rig.events.waitFor("sdkState", Movoda::kEventIdFirstConnected, 1, 8000ms));
    ASSERT_TRUE(rig.sdk->start(Movoda::IMG_POINTCLOUDAMP, false));
    const double raw = shareAfter(rig.frames, 3);
    ASSERT_GT(raw, 0.5) << "the room shows too few measured pixels to judge";

    const QSettings scenes(QStringLiteral(VANTORY_SCENE_FILE), QSettings::IniFormat);
    const auto scene = [&](int number) {
        const vantory::SceneFilters f =
            vantory::settings::readSceneFilters(scenes, "K150PLUS", number);
        return vantory::filters::controlsFromValues(f.filters, f.pclFilterOn);
    };
    const std::pair<const char*, vantory::filters::FilterControls> settings[] = {
        {"first-run", vantory::filters::FilterControls{}},
        {"Still", scene(vantory::kSceneStill)},
        {"Dynamic", scene(vantory::kSceneDynamic)},
    };
    vantory::filters::MvSdkFilterSink sink(*rig.sdk);
    for (const auto& [name, controls] : settings) {
        SCOPED_TRACE(name);
        vantory::filters::applySdkFilters(sink, controls);
        // Temporal filters need a few frames; those already past the filters are skipped.
        const double filtered = shareAfter(rig.frames, rig.frames.count() + 12);
        std::printf("measured pixels: unfiltered %.3f, %s %.3f\n", raw, name, filtered);
        EXPECT_GE(filtered, raw * 0.95);
    }

    rig.sdk.reset();
    camera->stop();
}

}  // namespace
