#include "platform/memory.h"

#include <malloc.h>

namespace nimbo::platform {

void ReleaseFreeMemory() {
    malloc_trim(0);
}

}  // namespace nimbo::platform
