// A fixture whose every test must leave behind no counted payload (LiveCounted, Probe) and no
// pooled counter or block header that was not there before it.
#pragma once

#include "LiveCounted.h"
#include "cow_Counter.h"

#include <gtest/gtest.h>

class NoLeaks : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_EQ(LiveCounted::live, live_) << "payloads outlived the test";
        EXPECT_EQ(cow_Counter::LiveCount(), counters_) << "counters outlived the test";
    }

private:
    int live_ = LiveCounted::live;
    long counters_ = cow_Counter::LiveCount();
};
