// Opening screenshot windows.
#include "app/gui/main_dialog.h"

namespace nimbo {

void MainDialog::OpenScreenshotWindow() {}

}  // namespace nimbo
