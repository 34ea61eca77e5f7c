// The Windows heap gives whole free regions back by itself; HeapCompact
// coalesces what is left so that a hidden window's memory can go too.
#include <windows.h>

#include "platform/memory.h"

namespace nimbo::platform {

void ReleaseFreeMemory() {
    HeapCompact(GetProcessHeap(), 0);
}

}  // namespace nimbo::platform
