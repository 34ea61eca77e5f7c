#pragma once
// The screenshot window (template 156): takes pictures of one phone's screen
// and saves them. It is modeless; closing it (caption, Esc, Enter) only hides
// it, and the window object lives until its owner, the main window, goes.
//
//   auto w = std::make_unique<ScreenshotDialog>(context, state, serial, mainWindow);
//   w->Create();   // shown; nothing is captured until the user refreshes
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "adblink/adb_host_connection.h"
#include "adbtool/app_context.h"
#include "capture/capture_framebuffer.h"
#include "capture/capture_state.h"
#include "imaging/bitmap.h"
#include "ui/dialog.h"
#include "ui/keys.h"

class CCJFlatComboBox;
class CGradientButton;
class CXPGroupBox;

namespace nimbo {

class CapturePictureArea;

inline constexpr char kStatusPleaseWait[] = "请稍等..";
inline constexpr char kStatusNothingSaved[] = "尚未保存或我的文档已满";

class ScreenshotDialog : public ui::Dialog {
public:
    // `state` is shared by every screenshot window and outlives them. `endpoint`
    // says where each capture finds the adb host server; by default the
    // context's server (context.adbEndpoint with the capture time-outs), asked
    // anew at every capture.
    ScreenshotDialog(AppContext& context, CaptureState& state, std::string deviceSerial,
                     ui::Dialog* owner = nullptr, std::function<AdbEndpoint()> endpoint = {});
    ~ScreenshotDialog() override;

    // Button 1012: one capture, its result in the status line. With the
    // context's workers the frame is read on a worker and the window stays
    // responsive; without them (tests of the window alone) on this thread.
    void RefreshScreenshot();
    // A capture started by RefreshScreenshot has not yet shown its result.
    bool Capturing() const { return capturing_; }
    // Button 1013: writes capturedImage as the lists say.
    void SaveScreenshot();
    // Button 1014: the folder of the last save in the file manager.
    void OpenSaveFolder();

    // One capture on this thread, its result shown in the fields and the
    // picture but not in the status line.
    CaptureResult CaptureFramebuffer();

    const std::string& DeviceSerial() const { return deviceSerial_; }
    const std::vector<uint8_t>& PixelBuffer() const { return pixelBuffer_; }
    const std::optional<imaging::Bitmap>& CapturedImage() const { return capturedImage_; }
    CapturePictureArea* PictureArea() const { return pictureArea_; }

protected:
    bool OnInitDialog() override;
    bool PreTranslateKey(const ui::KeyPress& key) override;

private:
    void FillResolutionList(uint32_t width, uint32_t height);
    void ShowCapture(const FramebufferCapture& capture);
    // The window's half of a capture: everything the window shows and keeps.
    CaptureResult TakeCapture(FramebufferCapture capture);
    void ShowResult(CaptureResult code);

    AppContext& context_;
    CaptureState& state_;
    const std::string deviceSerial_;
    std::function<AdbEndpoint()> endpoint_;
    std::vector<uint8_t> pixelBuffer_;
    std::optional<imaging::Bitmap> capturedImage_;
    bool capturing_ = false;  // window thread only

    // Owned by the window; bound in the constructor.
    CapturePictureArea* pictureArea_ = nullptr;  // 1034
    CCJFlatComboBox* sizeList_ = nullptr;        // 1025
    CCJFlatComboBox* qualityList_ = nullptr;     // 1026
    CCJFlatComboBox* formatList_ = nullptr;      // 1024
    CXPGroupBox* infoGroup_ = nullptr;           // 1031
    CGradientButton* saveButton_ = nullptr;      // 1013
    CGradientButton* refreshButton_ = nullptr;   // 1012
    CGradientButton* folderButton_ = nullptr;    // 1014
};

}  // namespace nimbo
