#pragma once
// The program's dialog templates, as data for the window kit.
#include "ui/dialog_template.h"

namespace nimbo::resources {

using ui::ControlClass;
using ui::ControlTemplate;
using ui::DialogTemplate;
using enum ui::ControlStyle;

const DialogTemplate& MainDialogTemplate();        // 102
const DialogTemplate& ScreenshotDialogTemplate();  // 156
const DialogTemplate& HelpDialogTemplate();        // 146

}  // namespace nimbo::resources
