#pragma once
// Whether one `adb pull` really produced the backup it was asked for, judged
// from how adb ended, what it said and what it left on disk; what to do with
// a file a failed pull left behind.
//
// adb removes its copy itself when it sees the failure, but not when it is
// killed (the program ending, a file-size limit, an outside kill), so a file
// under the backup's name proves nothing by itself.
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_identity.h"
#include "platform/process.h"

namespace nimbo {

enum class PullFailure {
    None,
    Connection,      // the phone or the adb server went away, or adb was killed
    FolderFull,      // no space left, or a file-size limit
    FolderReadOnly,  // the folder refused the file
};

struct PullJudgement {
    PullFailure failure = PullFailure::None;
    std::string reason;  // for the log: what gave the failure away
    bool Pulled() const { return failure == PullFailure::None; }
};

// after: the target as it is now. A pull counts only when adb ended with code 0 (or the launcher
// cannot tell), said it pulled one file, reported no error, and a regular file of the size it
// reported is under the target's name. (Whether the file is new is not asked: on a FAT stick a
// rewritten file may look like the old one.)
PullJudgement JudgePull(const platform::ExitStatus& exit, std::string_view output,
                        const platform::FileIdentity& after);

// Removes the target after a failed or cut-off pull, but only when the file
// there is not the one that was there before the pull: an earlier backup that
// adb never touched stays. True when nothing of this pull is left.
bool DiscardFailedPull(const std::string& target, const platform::FileIdentity& before);

// The output kept of one pull: adb says little without a terminal, so this
// keeps its words without letting a runaway output grow without end.
inline constexpr std::size_t kPullOutputKept = 16 * 1024;

}  // namespace nimbo
