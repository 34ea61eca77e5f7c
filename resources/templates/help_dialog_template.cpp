// Template 146: the help window.
#include "control_ids.h"
#include "dialog_template.h"

namespace nimbo::resources {

using enum ControlClass;

const DialogTemplate& HelpDialogTemplate() {
    static const DialogTemplate t{
        ids::kHelpDialog,
        "Ostrel使用帮助",
        229,
        209,
        "宋体",
        9,
        false,
        false,
        {
            {-1, Static, "1. 开启手机端ADB开发接口(在Android手机中操作)", 7, 5, 187, 8, 0, 0},
            {-1, Static,
             "步骤: Settings(设置)->Applications(应用程序)->Development(开发) "
             "最后勾选USB debugging项才可以使用USB线连接电脑",
             16, 22, 182, 25, 0, 0},
            {-1, Static, "2. 连接USB数据线到Android手机", 7, 52, 117, 8, 0, 0},
            {-1, Static,
             "点击“安装USB驱动”按钮后所需要的驱动文件会自动释放到D盘android_usb_windows文件夹中，"
             "包含android_usb.inf、androidusb.sys、WdfCoInstaller01005.dll这个三个文件。"
             "详细安装Android驱动方法查看下面的图文帮助。",
             15, 68, 182, 43, 0, 0},
            {-1, EtchedLine, "", 6, 116, 203, 1, 0, 0},
            {-1, Static,
             "【安装APK版本到手机】使用该功能将会通过PC版本传输Nimbo的手机版本到您的Android手机中，"
             "你可以单独使用Nimbo的APK版本从SD卡中安装APK文件。",
             9, 125, 192, 24, 0, 0},
            {-1, Static, "(这种模式可以无需连接PC和USB数据线安装APK程序)", 16, 158, 185, 8, 0, 0},
            {1004, Button, "查看在线详细图文帮助", 9, 173, 109, 26, kTabStop, 0},
            {1003, Button, "关闭", 127, 173, 78, 25, kTabStop, 0},
        },
    };
    return t;
}

}  // namespace nimbo::resources
