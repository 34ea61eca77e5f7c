// Template 102: the main window.
#include "control_ids.h"
#include "dialog_template.h"

namespace nimbo::resources {

using enum ControlClass;

const DialogTemplate& MainDialogTemplate() {
    static const DialogTemplate t{
        ids::kMainDialog,
        "Nimbo2.3 [PC版]    (Android和Kelvo)",
        452,
        438,
        "宋体",
        9,
        true,
        true,
        {
            // Template order = tab order.
            {1000, Button, "安装USB驱动", 260, 351, 78, 26, kTabStop, 0},
            {1001, Edit, "", 5, 73, 293, 12, kTabStop | kAutoHScroll | kStaticEdge, 0},
            {-1, StaticBitmap, "", 0, 0, 333, 40, 0, ids::kBannerBitmap},
            {-1, Static, "请选择需要安装的APK文件  (Android/Kelvo执行文件)", 5, 61, 191, 8, 0, 0},
            {1002, Button, "选择APK文件", 307, 62, 66, 30, kTabStop, 0},
            {1007, GroupBox, "安装结果", 4, 94, 377, 38, 0, 0},
            {1003, Button, "退出", 393, 410, 49, 26, kTabStop, 0},
            {1004, Button, "开始安装", 383, 62, 61, 29, kTabStop, 0},
            {1005, Button, "Kelvo手机网", 95, 410, 70, 26, kTabStop, 0},
            {1006, Button, "使用帮助", 387, 97, 57, 34, kTabStop, 0},
            {1008, Static, "", 14, 113, 353, 8, 0, 0},
            {1009, Button, "Tarnwick", 5, 410, 80, 26, kTabStop, 0},
            {1010, Button, "安装APK版本到手机", 345, 352, 98, 26, kTabStop, 0},
            {1011, ListView, "", 5, 140, 248, 260, kTabStop | kReportView | kNoSortHeader | kStaticEdge, 0},
            {1012, Button, "刷新", 349, 153, 36, 21, kTabStop, 0},
            {1014, Button, "卸载选中", 444, 159, 8, 8, kTabStop | kHidden, 0},
            {1015, Button, "备份选中", 393, 153, 52, 21, kTabStop, 0},
            {1016, Button, "全选", 261, 153, 36, 21, kTabStop, 0},
            {1017, Button, "全无", 305, 153, 36, 21, kTabStop, 0},
            {1018, GroupBox, "操作状态", 259, 295, 189, 48, 0, 0},
            {1019, Static, "执行后请耐心等待,时间原因未做异常处理", 284, 312, 156, 8, 0, 0},
            {-1, StaticIcon, "", 265, 311, 20, 20, kRealSizeImage, 151},
            {-1, EtchedLine, "", 260, 143, 73, 1, 0, 0},
            {-1, Static, "apk导出", 339, 139, 29, 8, kDisabled, 0},
            {-1, EtchedLine, "", 373, 143, 72, 1, 0, 0},
            {-1, Static, "Android设备", 327, 180, 45, 8, kDisabled, 0},
            {-1, EtchedLine, "", 257, 184, 67, 1, 0, 0},
            {-1, EtchedLine, "", 376, 184, 71, 1, 0, 0},
            {1020, ListView, "", 258, 192, 188, 73, kTabStop | kReportView | kNoSortHeader | kStaticEdge, 0},
            {1021, Button, "刷新设备列表", 258, 270, 84, 20, kTabStop, 0},
            {-1, Static, "当前设备", 283, 326, 33, 8, 0, 0},
            {1023, Button, "屏幕截图", 349, 270, 95, 19, kTabStop, 0},
            {1022, Static, "", 327, 325, 102, 10, 0, 0},
        },
    };
    return t;
}

}  // namespace nimbo::resources
