// A filter library for tests: it journals every call it receives (in order, with the
// values given) and changes the frames it is applied to through IFrame, so that tests
// can prove the binding, the call order and the enable mask from both sides.
#include <cstdlib>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "mvsdk/ISdkFilter.h"

namespace {

std::mutex gMutex;
std::vector<std::string> gJournal;
std::string gJoined;

void journal(const std::string& entry) {
    std::lock_guard<std::mutex> lock(gMutex);
    gJournal.push_back(entry);
}

// Values equal to this are rejected, so tests can see a filter being refused.
constexpr uint16_t kRejectValue = 0xFFFF;

// Apply codes written into the frame's pixel marks, in the order of the calls.
enum ApplyCode : uint8_t {
    kDust = 1, kMedian, kKalman, kAverage, kEdge, kCloud2, kCloud1, kReflectivity, kSmooth
};

class TestFilter final : public Movoda::ISdkFilter {
public:
    explicit TestFilter(Movoda::FilterLogFunction log) : log_(log) {}
    ~TestFilter() override { journal("destroy"); }

    const char* versionText() const override { return "testfilter 1"; }

    bool setDustParams(uint16_t a, uint16_t b, uint16_t c, uint16_t d) override {
        return setter("dust", {a, b, c, d});
    }
    bool setEdgeParams(uint16_t a) override { return setter("edge", {a}); }
    bool setKalmanParams(uint16_t a, uint16_t b, uint16_t c) override {
        return setter("kalman", {a, b, c});
    }
    bool setMedianParams(uint16_t a) override { return setter("median", {a}); }
    bool setCloudParams(const float* divisor, const uint8_t* on, uint32_t window,
                        uint8_t motion) override {
        if (divisor == nullptr || on == nullptr) return false;
        std::ostringstream s;
        s << "cloud " << *divisor << ' ' << unsigned(*on) << ' ' << window << ' ' << unsigned(motion);
        journal(s.str());
        return window != kRejectValue;
    }
    bool setReflectivityParams(const float* lower, const float* upper) override {
        if (lower == nullptr || upper == nullptr) return false;
        std::ostringstream s;
        s << "reflectivity " << *lower << ' ' << *upper;
        journal(s.str());
        return *lower >= 0.0f;
    }
    bool setModel(const char* model) override {
        journal(std::string("model ") + (model ? model : "(null)"));
        return true;
    }
    bool setAverageParams(uint16_t a, uint16_t b) override { return setter("average", {a, b}); }
    bool setSmoothParams(const int* iterations, const int* delta, const float* alpha) override {
        if (iterations == nullptr || delta == nullptr || alpha == nullptr) return false;
        std::ostringstream s;
        s << "smooth " << *iterations << ' ' << *delta << ' ' << *alpha;
        journal(s.str());
        return *iterations >= 0;
    }
    void setOption(uint64_t option) override { journal("option " + std::to_string(option)); }

    void applyDust(const FramePtr& f) override {
        apply(f, "applyDust", kDust);
        f->setDustValue(42);
    }
    void applyMedian(const FramePtr& f) override {
        apply(f, "applyMedian", kMedian);
        f->setAmplitude(0, 7);
    }
    void applyKalman(const FramePtr& f) override { apply(f, "applyKalman", kKalman); }
    void applyAverage(const FramePtr& f) override { apply(f, "applyAverage", kAverage); }
    void applyEdge(const FramePtr& f) override {
        apply(f, "applyEdge", kEdge);
        f->setDistance(0, f->distance(0) + 1);
    }
    void resetHistory() override { journal("resetHistory"); }
    void applyCloudSecondPass(const FramePtr& f) override { apply(f, "applyCloud2", kCloud2); }
    void applyCloudFirstPass(const FramePtr& f) override { apply(f, "applyCloud1", kCloud1); }
    void applyReflectivity(const FramePtr& f) override {
        apply(f, "applyReflectivity", kReflectivity);
        f->setReflectivity(0, 0.5f);
    }
    void applySmooth(const FramePtr& f) override { apply(f, "applySmooth", kSmooth); }

    void initialise() override {
        journal("initialise");
        if (log_ != nullptr) log_("Movoda::TestFilter::initialise", "test filter ready");
    }

private:
    bool setter(const char* name, std::initializer_list<uint16_t> values) {
        std::ostringstream s;
        s << name;
        for (uint16_t v : values) s << ' ' << v;
        journal(s.str());
        return *values.begin() != kRejectValue;
    }

    // Journals the call and writes its code into the first unmarked pixel.
    static void apply(const FramePtr& f, const char* name, uint8_t code) {
        journal(name);
        for (uint64_t i = 0; i < f->pixelCount(); ++i) {
            if (f->pixelMark(i) == 0) {
                f->setPixelMark(i, code);
                break;
            }
        }
    }

    Movoda::FilterLogFunction log_;
};

}  // namespace

extern "C" {

__attribute__((visibility("default"))) Movoda::ISdkFilter* createBaseFilter(
    Movoda::FilterLogFunction log) {
    if (std::getenv("VANTORY_TESTFILTER_REFUSE") != nullptr) return nullptr;
    journal("create");
    return new TestFilter(log);
}

// Newline-separated journal of every call since the last clear.
__attribute__((visibility("default"))) const char* testfilter_journal() {
    std::lock_guard<std::mutex> lock(gMutex);
    gJoined.clear();
    for (const std::string& e : gJournal) gJoined += e + "\n";
    return gJoined.c_str();
}

__attribute__((visibility("default"))) void testfilter_clear() {
    std::lock_guard<std::mutex> lock(gMutex);
    gJournal.clear();
}

}  // extern "C"
