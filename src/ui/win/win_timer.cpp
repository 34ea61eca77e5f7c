#include "ui/win/win_timer.h"

#include <map>

namespace nimbo::ui::win {
namespace {

// Thread timers carry only their id: the running timers by id. Window thread only.
std::map<UINT_PTR, WinTimer*>& Running() {
    static std::map<UINT_PTR, WinTimer*> running;
    return running;
}

}  // namespace

WinTimer::WinTimer(std::chrono::milliseconds interval, std::function<void()> tick)
    : interval_(interval), tick_(std::move(tick)) {}

WinTimer::~WinTimer() {
    Stop();
}

void WinTimer::Start() {
    Stop();
    id_ = SetTimer(nullptr, 0, static_cast<UINT>(std::max<long long>(1, interval_.count())), &Tick);
    if (id_) Running()[id_] = this;
}

void WinTimer::Stop() {
    if (!id_) return;
    KillTimer(nullptr, id_);
    Running().erase(id_);
    id_ = 0;
}

void WinTimer::SetInterval(std::chrono::milliseconds interval) {
    interval_ = interval;
    if (id_) Start();
}

void CALLBACK WinTimer::Tick(HWND, UINT, UINT_PTR id, DWORD) {
    auto it = Running().find(id);
    if (it == Running().end()) return;
    // A copy: the tick may stop or destroy its own timer.
    std::function<void()> tick = it->second->tick_;
    if (tick) tick();
}

}  // namespace nimbo::ui::win
