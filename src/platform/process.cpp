// What process launching says the same way on every system; the launchers
// themselves are the system's own (linux/process.cpp, win/process.cpp).
#include "platform/process.h"

namespace nimbo::platform {

const char* ToText(SpawnError e) {
    switch (e) {
        case SpawnError::NotFound:
            return "program not found";
        case SpawnError::CouldNotStart:
            return "program could not be started";
        case SpawnError::PipeFailed:
            return "pipe or process could not be created";
    }
    return "unknown spawn error";
}

}  // namespace nimbo::platform
