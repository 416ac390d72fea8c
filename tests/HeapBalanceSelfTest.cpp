// Proves that the heap balance judge (HeapBalance.h) fails the test that leaves a block of the
// plug-in's held by a global, naming it, and passes tests that leave nothing behind. Runs the
// planted tests below under the judge, then checks each verdict and exits 0 only when every one
// is as expected.
#include "HeapBalance.h"

#include "bot/InstanceRegistry.h"
#include "support/Allocation.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

char* heldByAGlobal = nullptr;

TEST(Planted, BlockHeldByAGlobal) {
    heldByAGlobal = tarnwick::allocateBytesOrNull(16);
    ASSERT_NE(heldByAGlobal, nullptr);
}

TEST(Planted, BlockReleasedBeforeTheEnd) {
    tarnwick::releaseBytes(tarnwick::allocateBytesOrNull(16));
}

TEST(Planted, InstancesLeftStandingAreTornDownBeforeTheJudgement) {
    ASSERT_NE(tarnwick::createInstance(7), nullptr);
}

// Each planted test and what the judge must say of it: empty for a pass, or the text its one
// failure must hold.
const struct {
    const char* test;
    const char* failure;
} Verdicts[] = {
    {"BlockHeldByAGlobal",
     "Planted.BlockHeldByAGlobal leaves the plug-in's heap unbalanced once every instance is torn "
     "down: 1 block(s) of 16 byte(s)"},
    {"BlockReleasedBeforeTheEnd", ""},
    {"InstancesLeftStandingAreTornDownBeforeTheJudgement", ""},
};

// Whether the test `name` of the suite Planted ended as `failure` says; prints the verdict.
bool judgedRight(const char* name, const char* failure) {
    const ::testing::TestSuite* suite = nullptr;
    const ::testing::UnitTest& unit = *::testing::UnitTest::GetInstance();
    for (int index = 0; index < unit.total_test_suite_count(); ++index) {
        if (std::strcmp(unit.GetTestSuite(index)->name(), "Planted") == 0) {
            suite = unit.GetTestSuite(index);
        }
    }
    for (int index = 0; suite != nullptr && index < suite->total_test_count(); ++index) {
        const ::testing::TestInfo& test = *suite->GetTestInfo(index);
        if (std::strcmp(test.name(), name) != 0) {
            continue;
        }
        const ::testing::TestResult& result = *test.result();
        const bool right =
            *failure == '\0'
                ? result.Passed()
                : result.total_part_count() == 1 &&
                      std::string(result.GetTestPartResult(0).message()).find(failure) !=
                          std::string::npos;
        std::printf("%s Planted.%s\n", right ? "ok   " : "WRONG", name);
        return right;
    }
    std::printf("WRONG Planted.%s did not run\n", name);
    return false;
}

} // namespace

int main(int argumentCount, char** arguments) {
    harness::runTestsJudgingHeapBalance(argumentCount, arguments);
    tarnwick::releaseBytes(heldByAGlobal);
    int wrong = 0;
    for (const auto& verdict : Verdicts) {
        wrong += judgedRight(verdict.test, verdict.failure) ? 0 : 1;
    }
    std::printf("%d of %zu planted tests judged right\n",
                static_cast<int>(sizeof Verdicts / sizeof Verdicts[0]) - wrong,
                sizeof Verdicts / sizeof Verdicts[0]);
    return wrong == 0 ? 0 : 1;
}
