// Test controls of the memory handles: a fixed free-memory figure and
// allocations that fail, so that the shortage message and the failure paths
// can be checked on any machine. Tests only.
#pragma once

#include <cstdint>

// The figure the shortage message is measured against, in place of the
// system's; ClearFreeMemoryForTest returns to the system's figure.
void SetFreeMemoryForTest(uint64_t bytes);
void ClearFreeMemoryForTest();
// While set, every allocation and enlargement of a handle fails.
void FailAllocationsForTest(bool fail);
