#include "ui/qt/qt_timer.h"

namespace nimbo::ui::qt {

QtTimer::QtTimer(QObject* owner, std::chrono::milliseconds interval, std::function<void()> tick)
    : timer_(new QTimer(owner)) {
    timer_->setInterval(static_cast<int>(interval.count()));
    QObject::connect(timer_, &QTimer::timeout, timer_, [tick = std::move(tick)] { tick(); });
}

QtTimer::~QtTimer() {
    delete timer_;
}

}  // namespace nimbo::ui::qt
