#pragma once
// Giving memory back to the system.

namespace nimbo::platform {

// Returns the heap's free pages to the system where the C library keeps them
// (a window that hides for good shrinks the process); a no-op elsewhere.
void ReleaseFreeMemory();

}  // namespace nimbo::platform
