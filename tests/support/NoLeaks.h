// A fixture whose every test must leave behind no counted payload (LiveCounted, Probe) and, for
// tests that open no database (whose process-wide caches keep counters), no pooled counter or
// block header that was not there before it.
#pragma once

#include "LiveCounted.h"
#include "cow_Counter.h"

#include <gtest/gtest.h>

class NoLeaks : public ::testing::Test {
protected:
    explicit NoLeaks(bool countersToo = true) : countersToo_(countersToo) {}

    void TearDown() override {
        EXPECT_EQ(LiveCounted::live, live_) << "payloads outlived the test";
        if (countersToo_) {
            EXPECT_EQ(cow_Counter::LiveCount(), counters_) << "counters outlived the test";
        }
    }

private:
    bool countersToo_;
    int live_ = LiveCounted::live;
    long counters_ = cow_Counter::LiveCount();
};
