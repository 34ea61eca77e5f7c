// Opening screenshot windows.
#include "app/gui/main_dialog.h"
#include "capture/gui/screenshot_dialog.h"
#include "templates/control_ids.h"

namespace nimbo {

void MainDialog::OpenScreenshotWindow() {
    // One more window per press, for the device current at this moment; an
    // empty current device still gets its window. The main window keeps it:
    // a window that is closed is only hidden, and goes with the main window.
    auto window = std::make_unique<ScreenshotDialog>(Context(), session_.capture,
                                                     ItemTextNow(ids::kCurrentDevice), this);
    window->Create();
    screenshotWindows_.push_back(std::move(window));
}

}  // namespace nimbo
