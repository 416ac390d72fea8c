#include "HeapBalance.h"

#include "Allocations.h"
#include "bot/InstanceRegistry.h"

#include <gtest/gtest.h>

namespace harness {

namespace {

// Reads the balance as a test starts and fails the test, as it ends, when the plug-in holds
// more or fewer blocks or bytes than then, after tearing down every instance. GoogleTest reports
// a failure added here as the ending test's own, since that test is still the current one.
class HeapBalanceJudge : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        atStart = hostsim::pluginHeapBalance();
    }

    void OnTestEnd(const ::testing::TestInfo& test) override {
        tarnwick::destroyAllInstances();
        const hostsim::PluginHeapBalance atEnd = hostsim::pluginHeapBalance();
        if (atEnd.blocks != atStart.blocks || atEnd.bytes != atStart.bytes) {
            ADD_FAILURE() << test.test_suite_name() << "." << test.name()
                          << " leaves the plug-in's heap unbalanced once every instance is torn "
                             "down: "
                          << static_cast<long long>(atEnd.blocks - atStart.blocks)
                          << " block(s) of " << static_cast<long long>(atEnd.bytes - atStart.bytes)
                          << " byte(s)";
        }
    }

    hostsim::PluginHeapBalance atStart = {0, 0};
};

} // namespace

void judgeHeapBalanceAfterEveryTest() {
    ::testing::UnitTest::GetInstance()->listeners().Append(new HeapBalanceJudge);
}

int runTestsJudgingHeapBalance(int argumentCount, char** arguments) {
    ::testing::InitGoogleTest(&argumentCount, arguments);
    judgeHeapBalanceAfterEveryTest();
    return RUN_ALL_TESTS();
}

} // namespace harness
