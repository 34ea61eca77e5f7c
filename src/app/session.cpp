#include "app/session.h"

#include <cstdlib>
#include <string>

namespace nimbo {

int EndSession(Session& session, std::chrono::milliseconds bound, int exitCode,
               const LogSink& log) {
    if (session.workers.StopAndJoin(bound)) return exitCode;
    // A worker still running holds references to the runner, the launcher and
    // the shell; destroying them under it would crash the program on its way
    // out. Nothing is left to save, so it ends here, destructors unrun.
    if (log) {
        log(std::to_string(session.workers.Workers().running) +
            " worker thread(s) still running after the stop; ending at once");
    }
    std::_Exit(exitCode);
}

}  // namespace nimbo
