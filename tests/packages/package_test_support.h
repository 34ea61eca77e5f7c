#pragma once
// Stand-ins for the package workers' surroundings: an in-memory package list
// and the window's view around it, plus the worker stand-ins every worker test
// shares.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "adbtool/command_runner.h"
#include "packages/package_rows.h"
#include "packages/packages_view.h"
#include "support/fakes.h"
#include "support/test_paths.h"
#include "support/worker_stand_ins.h"

namespace nimbo::test {

class FakeRows final : public PackageRows {
public:
    struct Row {
        std::string name, packageName;
        bool checked = false;
    };
    std::vector<Row> rows;
    int mark = -1;
    std::set<int> selected;

    int Count() const override { return static_cast<int>(rows.size()); }
    void DeleteAll() override {
        rows.clear();
        mark = -1;
        selected.clear();
    }
    void InsertAtTop(const std::string& name, const std::string& packageName) override {
        rows.insert(rows.begin(), Row{name, packageName, false});
    }
    std::string Name(int row) const override { return rows.at(row).name; }
    std::string PackageName(int row) const override { return rows.at(row).packageName; }
    bool IsChecked(int row) const override { return rows.at(row).checked; }
    void SetChecked(int row, bool checked) override { rows.at(row).checked = checked; }
    int SelectionMark() const override { return mark; }
    bool IsSelected(int row) const override { return selected.count(row) > 0; }

    std::vector<std::string> Names() const {
        std::vector<std::string> out;
        for (const auto& r : rows) out.push_back(r.name);
        return out;
    }
};

// The workers' view of the window around a FakeRows list: both status lines
// keep every write, and the rows are reached only on the "window thread",
// like the real list.
class RecordingPackagesView final : public PackagesView, public FakeWindow {
public:
    explicit RecordingPackagesView(std::shared_ptr<FakeRows> rows) : rows_(std::move(rows)) {}

    void ShowOperationStatus(const std::string& text) override {
        Show(Line::OperationStatus, text);
    }
    void ShowInstallStatus(const std::string& text) override { Show(Line::InstallStatus, text); }
    bool OnWindowThread(const std::function<void(PackageRows&)>& fn) override {
        return OnWindow([&] { fn(*rows_); });
    }

    std::string OperationStatus() { return Text(Line::OperationStatus); }
    std::string InstallStatus() { return Text(Line::InstallStatus); }

private:
    std::shared_ptr<FakeRows> rows_;
};

}  // namespace nimbo::test
