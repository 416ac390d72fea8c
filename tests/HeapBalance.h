// The plug-in's heap balance, judged after every test of a program that drives the plug-in in
// its own process: once every instance is torn down, the plug-in's own blocks and bytes must be
// back where they were when the test began, so a block a global still holds (which no leak
// detector reports) fails the test that took it, by name.
#pragma once

namespace harness {

// Adds the judgement to every test run from now on. Needs the program's target to link
// `hostsim_allocations`, whose operators count the plug-in's blocks.
void judgeHeapBalanceAfterEveryTest();

// Runs the tests named on `arguments` (GoogleTest's own options) with the judgement added;
// GoogleTest's exit status.
int runTestsJudgingHeapBalance(int argumentCount, char** arguments);

} // namespace harness
