#pragma once
// The help window (template 146): how to prepare the phone, a note on the USB
// driver and on the companion package, a button to the online help page and
// one that closes it. Modal; a fresh one is made for every press of the main
// window's help button.
#include "platform/shell.h"
#include "ui/dialog.h"

class CGradientButton;

namespace nimbo {

class HelpDialog : public ui::Dialog {
public:
    // shell opens the online help page; without one that button does nothing.
    explicit HelpDialog(platform::ShellOpener* shell, ui::Dialog* owner = nullptr);

    CGradientButton* OnlineHelpButton() const { return onlineHelpButton_; }
    CGradientButton* CloseButton() const { return closeButton_; }

    // Button 1004: the online help page in the browser; the window stays open.
    void OnOnlineHelp();

protected:
    bool OnInitDialog() override;

private:
    platform::ShellOpener* shell_;
    CGradientButton* onlineHelpButton_ = nullptr;  // 1004
    CGradientButton* closeButton_ = nullptr;       // 1003
};

}  // namespace nimbo
