#pragma once
// The main window's package list (1011) and its buttons: listing, check
// marks, export and the hidden removal button. The logic lives in packages/;
// the panel lets it see the list and the status lines 1019 and 1008.
#include <functional>
#include <memory>
#include <string>

#include "adbtool/app_context.h"
#include "packages/packages_state.h"
#include "packages/packages_view.h"
#include "ui/control.h"
#include "ui/dialog.h"

namespace nimbo {

class PackageListPanel {
public:
    // The phone a listing or export goes to: a serial, or empty for adb's
    // only phone; asked at every click.
    using TargetSerial = std::function<std::string()>;

    // `list` belongs to `window`, which outlives the panel; `state` outlives
    // the window and every worker the panel starts.
    PackageListPanel(ui::Dialog& window, ui::ListView& list, AppContext& context,
                     PackagesState& state, TargetSerial target = {});

    void OnRefresh();    // 1012
    void OnCheckAll();   // 1016
    void OnCheckNone();  // 1017
    void OnListClick();  // list 1011
    void OnBackup();     // 1015
    void OnRemove();     // 1014 (hidden)

    // What the workers see of the window; safe once the window is gone.
    std::shared_ptr<PackagesView> View() const;

private:
    ui::Dialog& window_;
    ui::ListView& list_;
    AppContext& context_;
    PackagesState& state_;
    TargetSerial target_;
};

}  // namespace nimbo
