#pragma once
// What one checked row of the package list becomes on the PC: the files to
// pull from the phone, each to its place, and for a split app the bundle
// that gathers the pulled parts into one PACKAGE.apks.
//
//   rows in folders of their own ──► one phone shell: `pm path` of each
//   (PackagePathsCommand)            package (ParsePackagePaths)
//                │
//   PlanExport(row, paths) ──► pulls (phone file → PC file or folder)
//                          └─► bundle (parts → FOLDER/PACKAGE.apks, parts removed)
//
// A row with no folder of its own (the old layout's /data/app/NAME.apk) and
// an app of one file keep the single pull they always had.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "adbtool/adb_commands.h"

namespace nimbo {

struct PullStep {
    std::string phonePath;
    // A file, or (the old layout) the folder the file keeps its name in.
    std::string target;
    bool intoFolder = false;
};

struct BundleStep {
    std::string archive;      // FOLDER/PACKAGE.apks
    std::string partsFolder;  // where the parts are pulled first; removed after
    struct Part {
        std::string entryName;  // base.apk, split_config.xxhdpi.apk, ...
        std::string localFile;  // inside partsFolder
    };
    std::vector<Part> parts;
};

struct ExportPlan {
    std::vector<PullStep> pulls;
    std::optional<BundleStep> bundle;
};

// Package name → its files on the phone, base first, as `pm path` names them.
using PackagePaths = std::map<std::string, std::vector<std::string>>;

// Whether a package name may go into the phone's shell as it is: only
// letters, digits, '_' and '.', as Android allows. Others are never asked
// about and export as a single file.
bool SafePackageName(std::string_view name);

// One shell for many packages: "echo '== P'; pm path P; ..." for each name
// (unsafe names skipped). Nullopt when none is left.
std::optional<AdbCommand> PackagePathsCommand(const std::vector<std::string>& packages);
// The shell's output: lines "== P" open a package, "package:PATH" lines
// (under /data/app/ only) are its files. CR LF and noise are tolerated.
PackagePaths ParsePackagePaths(std::string_view output);
// Keeps each command's script short enough for every adb and phone.
inline constexpr size_t kPathScriptLimit = 2000;
std::vector<std::vector<std::string>> BatchForPathQueries(const std::vector<std::string>& packages);

// The plan for one row: name and packageName as the list holds them, paths
// what `pm path` said of the package (empty: not asked or nothing said).
ExportPlan PlanExport(const std::string& name, const std::string& packageName,
                      const std::string& folder, const std::vector<std::string>& paths);

// The file a step leaves on the PC: its target, or (into a folder) the
// phone file's name inside it.
std::string PulledFile(const PullStep& step);
// Where the pull writes first: beside PulledFile with kPartialSuffix added.
// The file is moved to its own name only once the pull is judged whole, so a
// pull cut off in any way (the program itself killed included) never leaves
// part of a file under a backup's name.
inline constexpr std::string_view kPartialSuffix = ".partial";
std::string PartialFile(const PullStep& step);

// The pull of one step as an adb command line: into PartialFile.
AdbCommand PullCommand(const PullStep& step);

}  // namespace nimbo
