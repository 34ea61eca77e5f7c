#pragma once
// ui::Timer on a QTimer, running on the window thread.
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <functional>

#include "ui/timer.h"

namespace nimbo::ui::qt {

class QtTimer final : public Timer {
public:
    // The QTimer is a child of `owner`, so tests can find it by object name;
    // once the owner is gone the timer is gone with it and every call does
    // nothing.
    QtTimer(QObject* owner, std::chrono::milliseconds interval, std::function<void()> tick);
    ~QtTimer() override;

    void Start() override {
        if (timer_) timer_->start();
    }
    void Stop() override {
        if (timer_) timer_->stop();
    }
    bool IsActive() const override { return timer_ && timer_->isActive(); }
    void SetInterval(std::chrono::milliseconds interval) override {
        if (timer_) timer_->setInterval(static_cast<int>(interval.count()));
    }
    void SetName(const char* name) override {
        if (timer_) timer_->setObjectName(QString::fromUtf8(name));
    }

private:
    QPointer<QTimer> timer_;
};

}  // namespace nimbo::ui::qt
