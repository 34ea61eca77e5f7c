#pragma once
// Rows of the package list from the output of `adb shell pm list packages -f`.
//
// Only APK files under /data/app/ are listed. The list window inserts every
// row at the top, so the rows come back in DISPLAY order: the last package of
// the output first. Append them in the order given:
//   for (const PackageRow& r : ParsePackageList(output)) list.AppendRow(r.name);
#include <string>
#include <string_view>
#include <vector>

namespace nimbo {

struct PackageRow {
    // What column 1 shows: the path below /data/app/ ("com.a-1.apk", or
    // "~~x==/com.a-y==/base.apk" on Android 5 and later).
    std::string name;
    // The package name after the line's last "=" (empty when the line has no
    // "=").
    std::string packageName;
    // Phone-side path to pull: "/data/app/" + name.
    std::string sourcePath;
    // File name to give the pulled copy inside the export folder; see
    // ExportTargetFileName.
    std::string targetFileName;
};

// Empty: keep the phone's file name (what `adb pull SRC FOLDER` does). For a
// name inside a folder, whose file is always "base.apk", the copy is named
// after the package: "<packageName>.apk", or without a package name after the
// folder ("com.x-cd==/base.apk" gives "com.x.apk"), so two packages never
// share one file on the PC.
std::string ExportTargetFileName(std::string_view name, std::string_view packageName);

// Lines are split at runs of CR and LF; a line counts only when it begins with
// exactly "package:/data/app/". Lines with nothing after that prefix give no
// row.
std::vector<PackageRow> ParsePackageList(std::string_view output);

// One line as above; false when it gives no row.
bool ParsePackageLine(std::string_view line, PackageRow& row);

}  // namespace nimbo
