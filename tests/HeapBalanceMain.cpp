// The main of every test program that drives the plug-in in its own process.
#include "HeapBalance.h"

int main(int argumentCount, char** arguments) {
    return harness::runTestsJudgingHeapBalance(argumentCount, arguments);
}
