// The USB driver package, the help window and the web links.
#include "app/gui/main_dialog.h"

namespace nimbo {

void MainDialog::InstallUsbDriver() {}
void MainDialog::OnHelp() {}
void MainDialog::OnFirstMakerSite() {}
void MainDialog::OnSecondMakerSite() {}

}  // namespace nimbo
