#pragma once
// The install workers' view of the window, as a stand-in: the path field is
// set by the test, every status text is kept.
#include <string>
#include <vector>

#include "install/install_view.h"
#include "support/worker_stand_ins.h"

namespace nimbo::test {

class RecordingInstallView final : public InstallView, public FakeWindow {
public:
    std::string ApkPath() override { return Read(Line::ApkPath); }
    void ShowInstallStatus(const std::string& text) override { Show(Line::InstallStatus, text); }

    // The user types into the path field.
    void TypeApkPath(const std::string& path) { Show(Line::ApkPath, path); }
    std::string Status() { return Text(Line::InstallStatus); }
    std::vector<std::string> StatusWrites() { return WritesTo(Line::InstallStatus); }
};

}  // namespace nimbo::test
