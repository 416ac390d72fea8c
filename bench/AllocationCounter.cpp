#include "AllocationCounter.h"

namespace bench {

AllocationCounter takeAllocationCounts() {
    const AllocationCounter counted = allocationCounter;
    allocationCounter.allocations = 0;
    allocationCounter.releases = 0;
    return counted;
}

} // namespace bench
