#include "packages/export_plan.h"

#include <algorithm>

#include "packages/package_list_parser.h"

namespace nimbo {
namespace {

constexpr std::string_view kAppDir = "/data/app/";
constexpr std::string_view kOpens = "== ";
constexpr std::string_view kPathPrefix = "package:";

std::string Joined(const std::string& folder, const std::string& name) {
    const bool separated = !folder.empty() && folder.back() == '/';
    return folder + (separated ? "" : "/") + name;
}

std::string_view BaseName(std::string_view path) {
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// A part the phone names must stay inside /data/app/ and be an APK whose
// plain name can be given to a file on the PC and an entry in the bundle.
bool UsablePartPath(std::string_view path) {
    if (!path.starts_with(kAppDir)) return false;
    const std::string_view base = BaseName(path);
    if (!base.ends_with(".apk") || base.size() <= 4) return false;
    for (size_t start = 0; start <= path.size();) {
        const size_t slash = std::min(path.find('/', start), path.size());
        const std::string_view step = path.substr(start, slash - start);
        if (step == "." || step == "..") return false;
        start = slash + 1;
    }
    return true;
}

std::string PathScriptFor(const std::string& package) {
    return "echo '" + std::string(kOpens) + package + "'; pm path " + package;
}

}  // namespace

bool SafePackageName(std::string_view name) {
    if (name.empty()) return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_' || c == '.';
    });
}

std::optional<AdbCommand> PackagePathsCommand(const std::vector<std::string>& packages) {
    std::string script;
    for (const std::string& package : packages) {
        if (!SafePackageName(package)) continue;
        if (!script.empty()) script += "; ";
        script += PathScriptFor(package);
    }
    if (script.empty()) return std::nullopt;
    return AdbShellScript(script);
}

std::vector<std::vector<std::string>> BatchForPathQueries(
    const std::vector<std::string>& packages) {
    std::vector<std::vector<std::string>> batches;
    size_t length = 0;
    for (const std::string& package : packages) {
        if (!SafePackageName(package)) continue;
        const size_t more = PathScriptFor(package).size() + 2;
        if (batches.empty() || length + more > kPathScriptLimit) {
            batches.emplace_back();
            length = 0;
        }
        batches.back().push_back(package);
        length += more;
    }
    return batches;
}

PackagePaths ParsePackagePaths(std::string_view output) {
    PackagePaths paths;
    std::vector<std::string>* current = nullptr;
    for (size_t start = 0; start < output.size();) {
        const size_t end = std::min(output.find_first_of("\r\n", start), output.size());
        const std::string_view line = output.substr(start, end - start);
        start = end + 1;
        if (line.starts_with(kOpens)) {
            const std::string_view package = line.substr(kOpens.size());
            current = SafePackageName(package) ? &paths[std::string(package)] : nullptr;
        } else if (current && line.starts_with(kPathPrefix)) {
            const std::string_view path = line.substr(kPathPrefix.size());
            if (UsablePartPath(path)) current->emplace_back(path);
        }
    }
    return paths;
}

ExportPlan PlanExport(const std::string& name, const std::string& packageName,
                      const std::string& folder, const std::vector<std::string>& paths) {
    ExportPlan plan;
    const std::string target = ExportTargetFileName(name, packageName);
    // The old layout: the file keeps its phone name in the folder.
    if (target.empty()) {
        plan.pulls.push_back({std::string(kAppDir) + name, folder, true});
        return plan;
    }
    // One file: pulled to FOLDER/PACKAGE.apk, from where the phone says it is
    // now, else from the listed path.
    if (paths.size() <= 1 || packageName.empty()) {
        const std::string source = paths.size() == 1 ? paths[0] : std::string(kAppDir) + name;
        plan.pulls.push_back({source, Joined(folder, target), false});
        return plan;
    }
    BundleStep bundle;
    bundle.archive = Joined(folder, packageName + ".apks");
    bundle.partsFolder = Joined(folder, packageName + ".apks.parts");
    for (const std::string& path : paths) {
        const std::string entry(BaseName(path));
        // Two parts of one name cannot both go into the bundle; the phone
        // never names them so, and the first is kept.
        const bool taken =
            std::any_of(bundle.parts.begin(), bundle.parts.end(),
                        [&](const BundleStep::Part& p) { return p.entryName == entry; });
        if (taken) continue;
        const std::string local = Joined(bundle.partsFolder, entry);
        plan.pulls.push_back({path, local, false});
        bundle.parts.push_back({entry, local});
    }
    plan.bundle = std::move(bundle);
    return plan;
}

std::string PulledFile(const PullStep& step) {
    if (!step.intoFolder) return step.target;
    return Joined(step.target, std::string(BaseName(step.phonePath)));
}

std::string PartialFile(const PullStep& step) {
    return PulledFile(step) + std::string(kPartialSuffix);
}

AdbCommand PullCommand(const PullStep& step) {
    return AdbPullToFile(step.phonePath, PartialFile(step));
}

}  // namespace nimbo
