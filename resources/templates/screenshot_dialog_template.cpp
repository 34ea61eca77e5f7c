// Template 156: the screenshot window.
#include "control_ids.h"
#include "dialog_template.h"

namespace nimbo::resources {

using enum ControlClass;

const DialogTemplate& ScreenshotDialogTemplate() {
    static const DialogTemplate t{
        ids::kScreenshotDialog,
        "屏幕截图 - Nimbo",
        375,
        329,
        "宋体",
        9,
        false,
        false,
        {
            {1034, StaticBitmap, "", 3, 3, 214, 320, kCenterText | kRealSizeImage, 0},
            {1031, GroupBox, "左图相关信息", 224, 3, 138, 66, 0, 0},
            {-1, Static, "左图来自设备", 233, 19, 49, 8, 0, 0},
            {1030, Static, "", 288, 19, 68, 8, 0, 0},
            {-1, Static, "原始分辨率为", 233, 36, 49, 8, 0, 0},
            {1033, Static, "", 288, 36, 67, 8, 0, 0},
            {-1, Static, "左图缩放比例", 233, 53, 49, 8, 0, 0},
            {1032, Static, "", 288, 53, 67, 8, 0, 0},
            {-1, Static, "图片保存格式", 231, 95, 49, 8, 0, 0},
            {1024, ComboBox, "JPG\nBMP\nPNG\nGIF", 288, 93, 67, 70, kTabStop | kDropDownList | kVScroll, 0},
            {-1, Static, "保存时分辨率", 231, 113, 49, 8, 0, 0},
            {1025, ComboBox, "", 288, 109, 67, 78, kTabStop | kDropDownList | kVScroll, 0},
            {-1, Static, "JPEG画面质量", 231, 129, 49, 8, 0, 0},
            {1026, ComboBox, "100\n90\n80\n70", 288, 127, 67, 86, kTabStop | kDropDownList | kVScroll, 0},
            {1028, CheckBox, "自动按当前日期时间命名保存文件", 231, 145, 136, 10, kTabStop, 0},
            {1012, Button, "刷新", 230, 168, 64, 23, kTabStop, 0},
            {1013, Button, "保存", 301, 168, 66, 23, kTabStop, 0},
            {1014, Button, "打开保存目录", 229, 197, 138, 23, kTabStop, 0},
            {-1, Static, "状态提示:", 231, 238, 37, 8, 0, 0},
            {1035, Static, "未知", 271, 238, 98, 8, 0, 0},
        },
    };
    return t;
}

}  // namespace nimbo::resources
