// A fixture that loads the built plug-in module afresh for every test, so no bot state
// carries over from one test to the next.
#pragma once

#include "Module.h"

#include <gtest/gtest.h>

namespace tarnhosttest {

class RealModuleTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(module.loaded()) << module.error(); }

    hostsim::Module module{TARNWICK_MODULE_PATH};
};

} // namespace tarnhosttest
