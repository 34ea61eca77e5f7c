#pragma once
// ui::Timer on a QTimer, running on the window thread.
#include <QTimer>
#include <chrono>
#include <functional>

#include "ui/timer.h"

namespace nimbo::ui::qt {

class QtTimer final : public Timer {
public:
    // The QTimer is a child of `owner`, so tests can find it by object name.
    QtTimer(QObject* owner, std::chrono::milliseconds interval, std::function<void()> tick);
    ~QtTimer() override;

    void Start() override { timer_->start(); }
    void Stop() override { timer_->stop(); }
    bool IsActive() const override { return timer_->isActive(); }
    void SetInterval(std::chrono::milliseconds interval) override {
        timer_->setInterval(static_cast<int>(interval.count()));
    }
    void SetName(const char* name) override { timer_->setObjectName(QString::fromUtf8(name)); }

private:
    QTimer* timer_;
};

}  // namespace nimbo::ui::qt
