#include "ui/dialog.h"

#include <vector>

#include "ui/dialog_peer.h"

namespace nimbo::ui {

Dialog::Dialog(const DialogTemplate& tmpl, Dialog* owner)
    : tmpl_(tmpl),
      owner_(owner),
      peer_(MakeDialogPeer(*this, tmpl, owner ? &owner->Peer() : nullptr)),
      link_(std::make_shared<DialogLink>(this)) {}

Dialog::~Dialog() {
    link_->Cut();
    // The window and its hosts go before the controls they draw.
    peer_.reset();
}

void Dialog::AttachCustom(int id, std::unique_ptr<CustomControl> control) {
    custom_[id] = std::move(control);
}

void Dialog::OnCommand(int id, std::function<void()> handler) {
    handlers_.emplace(std::make_pair(id, Notification::Clicked), std::move(handler));
}

void Dialog::OnNotify(int id, Notification n, std::function<void()> handler) {
    handlers_.emplace(std::make_pair(id, n), std::move(handler));
    if (n == Notification::ContextMenu) contextMenus_.push_back(id);
}

void Dialog::AcceptFileDrops() {
    peer_->AcceptFileDrops(true);
}

void Dialog::CreateControls() {
    if (created_) return;
    created_ = true;
    std::map<int, CustomControl*> custom;
    for (auto& [id, control] : custom_) custom[id] = control.get();
    peer_->CreateControls(custom);
    for (int id : contextMenus_) peer_->WatchContextMenu(id);
    peer_->FocusFirstTabStop();
}

int Dialog::DoModal() {
    CreateControls();
    OnInitDialog();
    return peer_->RunModal();
}

bool Dialog::Create() {
    CreateControls();
    OnInitDialog();
    peer_->Show(true);
    return true;
}

void Dialog::EndDialog(int code) {
    peer_->End(code);
}
void Dialog::ShowWindow(bool visible) {
    peer_->Show(visible);
}
bool Dialog::IsWindowVisible() const {
    return peer_->IsVisible();
}
void Dialog::SetIcon(const imaging::Canvas& icon) {
    peer_->SetIcon(icon);
}
Control* Dialog::GetDlgItem(int id) const {
    return peer_->Item(id);
}
Control* Dialog::GetFocus() const {
    return peer_->FocusedItem();
}

CustomControl* Dialog::CustomItem(int id) const {
    auto it = custom_.find(id);
    return it == custom_.end() ? nullptr : it->second.get();
}

imaging::Canvas Dialog::TemplatePicture(int imageId) const {
    return pictureSource_ && imageId != 0 ? pictureSource_(imageId) : imaging::Canvas();
}
DialogUnits Dialog::Units() const {
    return peer_->Units();
}

std::unique_ptr<Timer> Dialog::MakeTimer(std::chrono::milliseconds interval,
                                         std::function<void()> tick) {
    return peer_->MakeTimer(interval, std::move(tick));
}

void Dialog::SetItemTextNow(int id, const std::string& text) {
    if (Control* c = GetDlgItem(id)) c->SetText(text);
}

std::string Dialog::ItemTextNow(int id) const {
    const Control* c = GetDlgItem(id);
    return c ? c->Text() : std::string();
}

void Dialog::HandleCommand(int id, Notification n) {
    // Copied: a handler may bind others or end the window.
    std::vector<std::function<void()>> run;
    auto [first, last] = handlers_.equal_range({id, n});
    for (auto it = first; it != last; ++it) run.push_back(it->second);
    for (auto& fn : run) fn();
}

void Dialog::HandleClose() {
    // OnCancel ends the window through the backend, which may report the
    // close again; that second report just ends it.
    if (inClose_) {
        peer_->End(kIdCancel);
        return;
    }
    inClose_ = true;
    OnCancel();
    inClose_ = false;
}

bool Dialog::HandleKey(const KeyPress& key) {
    return PreTranslateKey(key);
}

}  // namespace nimbo::ui
