#include "capture/gui/screenshot_dialog.h"

#include "capture/capture_framebuffer.h"
#include "capture/gui/capture_picture_area.h"
#include "capture/image_save.h"
#include "capture/resolution_sizes.h"
#include "controls/flat_combo_box.h"
#include "controls/gradient_button.h"
#include "controls/xp_group_box.h"
#include "platform/paths.h"
#include "templates/control_ids.h"
#include "templates/dialog_template.h"

namespace nimbo {

ScreenshotDialog::ScreenshotDialog(AppContext& context, CaptureState& state,
                                   std::string deviceSerial, ui::Dialog* owner,
                                   std::function<AdbEndpoint()> endpoint)
    : ui::Dialog(resources::ScreenshotDialogTemplate(), owner),
      context_(context),
      state_(state),
      deviceSerial_(std::move(deviceSerial)),
      endpoint_(std::move(endpoint)) {
    if (!endpoint_) endpoint_ = [&context] { return context.AdbServer(kCaptureTimeouts); };
    BindControl(ids::kShotPicture, pictureArea_);
    BindControl(ids::kShotSizeList, sizeList_);
    BindControl(ids::kShotQualityList, qualityList_);
    BindControl(ids::kShotFormatList, formatList_);
    BindControl(ids::kShotInfoGroup, infoGroup_);
    BindControl(ids::kShotSaveButton, saveButton_);
    BindControl(ids::kShotRefreshButton, refreshButton_);
    BindControl(ids::kShotOpenFolderButton, folderButton_);
    OnCommand(ids::kShotRefreshButton, [this] { RefreshScreenshot(); });
    OnCommand(ids::kShotSaveButton, [this] { SaveScreenshot(); });
    OnCommand(ids::kShotOpenFolderButton, [this] { OpenSaveFolder(); });
}

ScreenshotDialog::~ScreenshotDialog() = default;

bool ScreenshotDialog::OnInitDialog() {
    infoGroup_->SetBanded(1);
    const std::pair<CGradientButton*, int> icons[] = {
        {saveButton_, 155}, {refreshButton_, 148}, {folderButton_, 136}};
    for (const auto& [button, icon] : icons) {
        button->SetIconById(icon);
        // Lets tests and tools tell which icon is shown.
        button->Host()->Self().SetTag("iconId", icon);
    }
    if (auto* autoName = Item<ui::CheckBox>(ids::kShotAutoNameCheck)) autoName->SetCheck(true);
    // The size list is still empty and stays without a selection.
    for (CCJFlatComboBox* list : {sizeList_, qualityList_, formatList_}) {
        list->SetCurSel(list->GetCount() > 0 ? 0 : -1);
    }
    SetItemTextNow(ids::kShotDeviceField, deviceSerial_);
    return true;
}

bool ScreenshotDialog::PreTranslateKey(const ui::KeyPress& key) {
    // Enter presses the button that has the focus; anywhere else it ends the
    // dialog like Esc, which only hides the window. The shortcut check that
    // comes before the key press is left alone, or one press would act twice.
    if (key.key != ui::Key::Enter || key.alt || key.ctrl || key.shift || key.meta ||
        key.shortcutCheck) {
        return false;
    }
    const ui::Control* focus = GetFocus();
    for (CGradientButton* button : {refreshButton_, saveButton_, folderButton_}) {
        if (focus && button->Host() && focus == &button->Host()->Self()) {
            button->Host()->Click();
            return true;
        }
    }
    OnOK();
    return true;
}

void ScreenshotDialog::RefreshScreenshot() {
    // One capture at a time: a press while one runs is answered by that one.
    if (capturing_) return;
    SetItemTextNow(ids::kShotStatus, kStatusPleaseWait);
    // Emptied first, so every failure before a header arrives leaves it empty.
    sizeList_->ResetContent();
    const std::string serial = ItemTextNow(ids::kShotDeviceField);
    // A frame may take seconds; the window goes on answering meanwhile and
    // takes the result on its own thread, which the link refuses once the
    // window is gone.
    capturing_ = context_.workers &&
                 context_.workers->Start([link = Link(), window = this, serial,
                                          endpoint = endpoint_()](std::stop_token stop) {
                     FramebufferCapture capture =
                         ::nimbo::CaptureFramebuffer(serial, endpoint, kFrameLimit, stop);
                     link->RunOnUiThread([&] {
                         window->capturing_ = false;
                         window->ShowResult(window->TakeCapture(std::move(capture)));
                     });
                 });
    if (capturing_) return;
    // Without a worker the capture holds the window's thread; the text is
    // shown before it starts.
    if (ui::Control* status = GetDlgItem(ids::kShotStatus)) status->RepaintNow();
    ShowResult(TakeCapture(::nimbo::CaptureFramebuffer(serial, endpoint_())));
}

void ScreenshotDialog::ShowResult(CaptureResult code) {
    if (const char* text = CaptureResultText(code)) SetItemTextNow(ids::kShotStatus, text);
}

CaptureResult ScreenshotDialog::CaptureFramebuffer() {
    sizeList_->ResetContent();
    return TakeCapture(::nimbo::CaptureFramebuffer(ItemTextNow(ids::kShotDeviceField), endpoint_()));
}

CaptureResult ScreenshotDialog::TakeCapture(FramebufferCapture capture) {
    if (capture.header) {
        char size[32];
        std::snprintf(size, sizeof size, "%ux%u", capture.header->width, capture.header->height);
        SetItemTextNow(ids::kShotResolutionField, size);
        FillResolutionList(capture.header->width, capture.header->height);
        // The header came, so the previous block was given up for the new one,
        // whether or not that one arrived whole.
        pixelBuffer_.clear();
        pixelBuffer_.shrink_to_fit();
    }
    if (capture.code == CaptureResult::Done) {
        ShowCapture(capture);
        pixelBuffer_ = std::move(capture.pixels);
    }
    return capture.code;
}

void ScreenshotDialog::FillResolutionList(uint32_t width, uint32_t height) {
    for (const std::string& entry :
         ResolutionEntries(static_cast<int>(width), static_cast<int>(height))) {
        sizeList_->AddString(entry);
    }
    sizeList_->SetCurSel(0);
}

void ScreenshotDialog::ShowCapture(const FramebufferCapture& capture) {
    // A copy that cannot be made leaves no picture to save; the capture itself
    // still succeeded and is shown.
    if (!capturedImage_ || !CopyCaptureInto(capture, *capturedImage_)) {
        capturedImage_ = BuildCapturedImage(capture);
    }
    SetItemTextNow(ids::kShotScaleField, ScaleReadout(capture.header->height));
    pictureArea_->ShowDrawing(DrawCapture(capture, pictureArea_->Host()->ClientSize()));
}

void ScreenshotDialog::SaveScreenshot() {
    SaveRequest request;
    request.capturedImage = capturedImage_ ? &*capturedImage_ : nullptr;
    request.formatText = formatList_->CurrentText();
    // After a failed refresh the size list is empty: the picture keeps its size.
    if (sizeList_->GetCurSel() >= 0) request.sizeText = sizeList_->CurrentText();
    request.qualityText = qualityList_->CurrentText();
    const auto* autoName = Item<ui::CheckBox>(ids::kShotAutoNameCheck);
    request.autoName = autoName && autoName->GetCheck();

    SaveContext save{*context_.dialogs, *context_.clock, context_.paths, state_};
    ui::Control* status = GetDlgItem(ids::kShotStatus);
    ::nimbo::SaveScreenshot(request, save, [this, status](const std::string& text) {
        SetItemTextNow(ids::kShotStatus, text);
        // Quantising and encoding hold the window's thread.
        if (status) status->RepaintNow();
    });
}

void ScreenshotDialog::OpenSaveFolder() {
    const std::string& folder = state_.lastSaveFolder;
    if (folder.empty() || !platform::PathFileExists(folder)) {
        SetItemTextNow(ids::kShotStatus, kStatusNothingSaved);
        return;
    }
    context_.shell->OpenFolder(folder);
}

}  // namespace nimbo
