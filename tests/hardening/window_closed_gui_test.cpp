// The main window closed while its workers still wait for adb: the workers
// run to their end against the dead window (their writes go nowhere), and
// nothing they touch has been freed under them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "install/install_workers.h"
#include "packages/package_worker_threads.h"
#include "support_gui/main_window_harness.h"
#include "templates/control_ids.h"

namespace nimbo {
namespace {

namespace fs = std::filesystem;

// adb as the window finds it in its system folder: records each call, then
// waits for the gate file before it answers.
void PlaceHeldAdb(const fs::path& systemDir, const fs::path& gateDir) {
    const fs::path adb = systemDir / "adb";
    fs::remove(adb);
    std::ofstream script(adb);
    script << "#!/bin/sh\n"
           << "g='" << gateDir.string() << "'\n"
           << "echo \"$*\" >> \"$g/calls\"\n"
           << "while [ ! -e \"$g/gate\" ]; do sleep 0.01; done\n"
           << "echo 'package:/data/app/com.a-1.apk=com.a'\n"
           << "echo Success\n";
    script.close();
    ::chmod(adb.c_str(), 0755);
}

int CallCount(const fs::path& gateDir) {
    std::ifstream in(gateDir / "calls");
    int n = 0;
    for (std::string line; std::getline(in, line);) ++n;
    return n;
}

TEST(WindowClosedWhileWorkersRun, InstallsAndListingFinishAgainstTheClosedWindow) {
    test::TempDir gate;
    test::MainWindowHarness harness;
    harness.Open();
    PlaceHeldAdb(harness.Context().paths.systemDir, gate.path());
    const fs::path apk = harness.Root() / "a b.apk";
    std::ofstream(apk) << "PK";

    const InstallWorkerCounts installsBefore = InstallWorkers();
    const PackageWorkerCounts packagesBefore = PackageWorkers();
    harness.Window().SetItemTextNow(ids::kApkPathEdit, apk.string());
    harness.Click(ids::kStartInstallButton);
    harness.Click(ids::kStartInstallButton);  // two installs at once
    harness.Click(ids::kCompanionInstallButton);
    harness.Click(ids::kRefreshPackagesButton);
    ASSERT_TRUE(test::MainWindowHarness::WaitUntil([&] { return CallCount(gate.path()) >= 4; }))
        << "adb was called " << CallCount(gate.path()) << " times";

    harness.CloseWindow();
    std::ofstream(gate.path() / "gate").close();

    ASSERT_TRUE(test::MainWindowHarness::WaitUntil([&] {
        return InstallWorkers().running == installsBefore.running &&
               PackageWorkers().running == packagesBefore.running;
    }));
    EXPECT_EQ(InstallWorkers().finished, installsBefore.finished + 3);
    EXPECT_GE(PackageWorkers().finished, packagesBefore.finished + 1);
}

}  // namespace
}  // namespace nimbo
