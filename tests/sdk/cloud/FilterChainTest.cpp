// The filter-library binding, the enable mask and the order in which applyFilters calls
// the library, proven with the journaling test library and the marks it leaves in frames.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "FrameTestSupport.h"
#include "cloud/FilterChain.h"

using namespace vantory_test;
using Movoda::FilterChain;

namespace {

class FilterChainTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        ::testing::internal::CaptureStdout();
        chain = std::make_unique<FilterChain>(VANTORY_TESTFILTER_PATH);
        ::testing::internal::GetCapturedStdout();
        ASSERT_TRUE(chain->libraryLoaded());
        // Same handle as the chain's; gives access to the library's journal.
        module = ::dlopen(VANTORY_TESTFILTER_PATH, RTLD_NOW | RTLD_NOLOAD);
        ASSERT_NE(module, nullptr);
        journalFn = reinterpret_cast<const char* (*)()>(::dlsym(module, "testfilter_journal"));
        clearFn = reinterpret_cast<void (*)()>(::dlsym(module, "testfilter_clear"));
        ASSERT_TRUE(journalFn && clearFn);
    }
    void TearDown() override {
        chain.reset();
        if (module) ::dlclose(module);
        FrameTest::TearDown();
    }

    std::vector<std::string> journal() const {
        std::vector<std::string> lines;
        std::istringstream in(journalFn());
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    std::shared_ptr<Movoda::Frame> frame(const std::string& model = "XR300LITE") {
        PacketPlan s;
        s.width = 4;
        s.height = 4;
        s.model = model;
        s.distance.assign(s.pixels(), 1000);
        s.amplitude.assign(s.pixels(), 500);
        return decodeFrame(s);
    }

    void enableAll() {
        const float lower = 0.0f, upper = 1.0f, divisor = 9.0f;
        const uint8_t on = 1;
        const int iterations = 1, delta = 0;
        const float alpha = 0.5f;
        chain->setKalmanFilter(100, 200, 2000);
        chain->setAverageFilter(3, 2000);
        chain->setEdgeFilter(50);
        chain->setMedianFilter(3);
        chain->setDustFilter(10, 4, 3000, 100);
        chain->setCloudFilter(&divisor, &on, 9, 5);
        chain->setReflectivityFilter(&lower, &upper);
        chain->setSmoothFilter(&iterations, &delta, &alpha);
    }

    std::unique_ptr<FilterChain> chain;
    void* module = nullptr;
    const char* (*journalFn)() = nullptr;
    void (*clearFn)() = nullptr;
};

TEST_F(FilterChainTest, LoadingCreatesAndInitialisesOnce) {
    const auto lines = journal();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "create");
    EXPECT_EQ(lines.back(), "initialise");
    EXPECT_EQ(chain->enableMask(), 0);
}

TEST_F(FilterChainTest, SettersSetTheirBitOnlyWhenAccepted) {
    clearFn();
    enableAll();
    EXPECT_EQ(chain->enableMask(), 0xFF);
    // The dust values reach the library as first, second, fourth, third.
    const auto lines = journal();
    EXPECT_EQ(lines[0], "kalman 100 200 2000");
    EXPECT_EQ(lines[4], "dust 10 4 100 3000");
    EXPECT_EQ(lines[5], "cloud 9 1 9 5");
    EXPECT_EQ(lines[6], "reflectivity 0 1");
    EXPECT_EQ(lines[7], "smooth 1 0 0.5");

    // A refused value clears only that filter's bit, and the setter still returns true.
    EXPECT_TRUE(chain->setMedianFilter(0xFFFF));
    EXPECT_EQ(chain->enableMask(), 0xFF & ~Movoda::kFilterMedian);
    const float negative = -1.0f, upper = 1.0f;
    EXPECT_TRUE(chain->setReflectivityFilter(&negative, &upper));
    EXPECT_EQ(chain->enableMask(), 0xFF & ~(Movoda::kFilterMedian | Movoda::kFilterReflectivity));
    EXPECT_TRUE(chain->setMedianFilter(5));
    EXPECT_EQ(chain->enableMask() & Movoda::kFilterMedian, Movoda::kFilterMedian);

    chain->setFilterOption(1);
    EXPECT_EQ(journal().back(), "option 1");
}

TEST_F(FilterChainTest, AllFiltersRunInTheFixedOrder) {
    enableAll();
    clearFn();
    auto f = frame("XK150PLUS");
    chain->applyFilters(f);
    const std::vector<std::string> expected = {
        "model XK150PLUS", "applyReflectivity", "applyEdge",    "applyCloud1",
        "applyDust",       "applyCloud2",       "applyMedian",  "applyKalman",
        "applyAverage",    "applySmooth",       "applyEdge"};
    EXPECT_EQ(journal(), expected);
    // The library changed the frame through IFrame, in the same order.
    const uint8_t marks[] = {8, 5, 7, 1, 6, 2, 3, 4, 9, 5};
    for (size_t i = 0; i < sizeof marks; ++i) EXPECT_EQ(f->pixelMark(i), marks[i]) << i;
    EXPECT_EQ(f->distance(0), 1002u);  // two edge passes
    EXPECT_EQ(f->amplitude(0), 7);
    EXPECT_FLOAT_EQ(f->reflectivity(0), 0.5f);
    EXPECT_EQ(f->dustValue(), 42);
}

TEST_F(FilterChainTest, MaskSelectsFilters) {
    chain->setMedianFilter(3);
    chain->setKalmanFilter(1, 1, 2000);
    clearFn();
    chain->applyFilters(frame());
    const std::vector<std::string> expected = {"model XR300LITE", "applyMedian", "applyKalman"};
    EXPECT_EQ(journal(), expected);
}

TEST_F(FilterChainTest, ReflectivityFilterSkippedForDustyFrames) {
    const float lower = 0.0f, upper = 1.0f;
    chain->setReflectivityFilter(&lower, &upper);
    auto f = frame();
    f->setDustValue(15);
    clearFn();
    chain->applyFilters(f);
    EXPECT_EQ(journal().back(), "applyReflectivity");
    f->setDustValue(16);
    clearFn();
    chain->applyFilters(f);
    EXPECT_EQ(journal(), std::vector<std::string>{"model XR300LITE"});
}

TEST_F(FilterChainTest, OlderFramesDoNotPassTheModel) {
    chain->setEdgeFilter(5);
    PacketPlan s;
    s.format = 2;
    s.width = 2;
    s.height = 2;
    auto f = decodeFrame(s);
    clearFn();
    chain->applyFilters(f);
    EXPECT_EQ(journal(), (std::vector<std::string>{"applyEdge", "applyEdge"}));
}

TEST_F(FilterChainTest, DestructionDeletesTheObject) {
    clearFn();
    chain.reset();
    EXPECT_EQ(journal(), std::vector<std::string>{"destroy"});
}

class FilterLibraryFailureTest : public FrameTest {};

TEST_F(FilterLibraryFailureTest, MissingLibraryLeavesEveryFilterOff) {
    ::testing::internal::CaptureStderr();
    ::testing::internal::CaptureStdout();
    FilterChain chain("/nonexistent/libmvsdk_shared.so");
    const std::string out = ::testing::internal::GetCapturedStdout();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(out.find("start loading win32 lib /nonexistent/libmvsdk_shared.so"), std::string::npos);
    EXPECT_NE(err.find("Cannot open library: "), std::string::npos);
    EXPECT_FALSE(chain.libraryLoaded());
    EXPECT_TRUE(chain.setEdgeFilter(5));
    EXPECT_EQ(chain.enableMask(), 0);
    auto f = decodeFrame(PacketPlan{});
    chain.applyFilters(f);
    EXPECT_EQ(f->distance(0), 0u);
}

TEST_F(FilterLibraryFailureTest, LibraryWithoutTheEntryIsUnloaded) {
    ::testing::internal::CaptureStderr();
    ::testing::internal::CaptureStdout();
    FilterChain chain(VANTORY_TESTFILTER_NOENTRY_PATH);
    const std::string out = ::testing::internal::GetCapturedStdout();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(out.find("loading win32 success"), std::string::npos);
    EXPECT_NE(err.find("Cannot load symbol createBaseFilter"), std::string::npos);
    EXPECT_FALSE(chain.libraryLoaded());
    EXPECT_EQ(::dlopen(VANTORY_TESTFILTER_NOENTRY_PATH, RTLD_NOW | RTLD_NOLOAD), nullptr);
}

TEST_F(FilterLibraryFailureTest, LibraryRefusingToCreateIsNotLoaded) {
    ::setenv("VANTORY_TESTFILTER_REFUSE", "1", 1);
    ::testing::internal::CaptureStderr();
    ::testing::internal::CaptureStdout();
    FilterChain chain(VANTORY_TESTFILTER_PATH);
    ::testing::internal::GetCapturedStdout();
    ::testing::internal::GetCapturedStderr();
    ::unsetenv("VANTORY_TESTFILTER_REFUSE");
    EXPECT_FALSE(chain.libraryLoaded());
    chain.setMedianFilter(3);
    EXPECT_EQ(chain.enableMask(), 0);
}

}  // namespace
