#pragma once
// A test suite whose tests talk over one private session bus, made for the
// suite. The process keeps its first session-bus connection: one such suite
// per test program. Without dbus-daemon the tests are skipped.
#include "TestSupport.h"

#include <gtest/gtest.h>

class SessionBusTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { bus = new PrivateSessionBus; }
    static void TearDownTestSuite()
    {
        delete bus;
        bus = nullptr;
    }
    void SetUp() override
    {
        if (!bus->isRunning())
            GTEST_SKIP() << "dbus-daemon is not installed";
    }

    inline static PrivateSessionBus* bus = nullptr;
};
