#pragma once
// A dialog template as data: the window and its controls in template order
// (which is also the tab order), positions in dialog units.
#include <string_view>
#include <vector>

namespace nimbo::ui {

enum class ControlClass {
    Button,
    GroupBox,
    Edit,
    Static,
    StaticBitmap,
    StaticIcon,
    EtchedLine,
    ListView,
    ComboBox,
    CheckBox
};

// Style flags the kit honours.
enum ControlStyle : unsigned {
    kTabStop = 1u << 0,
    kHidden = 1u << 1,
    kDisabled = 1u << 2,
    kStaticEdge = 1u << 3,  // thin sunken border
    kAutoHScroll = 1u << 4,
    kReportView = 1u << 5,  // list view: report view
    kNoSortHeader = 1u << 6,
    kDropDownList = 1u << 7,  // combo box: list only, no edit
    kDefaultButton = 1u << 8,
    kRealSizeImage = 1u << 9,  // icon/bitmap static keeps the image's own size
    kSunken = 1u << 10,
    kCenterText = 1u << 11,
    kBorder = 1u << 12,
    kVScroll = 1u << 13,
    kReadOnly = 1u << 14,
};

struct ControlTemplate {
    int id;  // -1 for controls the program never addresses
    ControlClass cls;
    std::string_view text;  // caption; empty when none
    int x, y, cx, cy;       // dialog units
    unsigned style;
    int imageId;  // bitmap/icon resource for image statics, 0 otherwise
};

struct DialogTemplate {
    int id;
    std::string_view caption;
    int cx, cy;                 // dialog units
    std::string_view fontFace;  // "宋体"
    int fontPointSize;
    bool minimizeBox;
    bool appWindow;  // shown in the task bar
    std::vector<ControlTemplate> controls;
};

}  // namespace nimbo::ui
