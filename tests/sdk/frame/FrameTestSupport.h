// Shared fixture: resets the process-wide decoder settings around every test.
#pragma once

#include <gtest/gtest.h>

#include "FramePacketBuilder.h"
#include "frame/FrameSettings.h"

namespace vantory_test {

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }
    static void reset() {
        Movoda::frame_settings::setSdkBinning(0, 0);
        Movoda::frame_settings::setReflectivityLimit(0);
    }
    // Stored index of received pixel (row, column) with mirroring on.
    static size_t mirrored(size_t row, size_t column, size_t width) {
        return row * width + (width - 1 - column);
    }
};

}  // namespace vantory_test
