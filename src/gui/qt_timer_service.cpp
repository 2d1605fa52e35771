#include "gui/qt_timer_service.h"

#include <QThread>
#include <algorithm>
#include <utility>

namespace velmor::gui {

namespace {
constexpr int kShortestPeriodMs = 10;
}  // namespace

QtTimerService::QtTimerService(std::function<void(int)> onTick, QObject* parent)
    : QObject(parent), onTick_(std::move(onTick)) {}

QtTimerService::~QtTimerService() = default;  // the timers are children and go with us

void QtTimerService::StartTimer(int id, int periodMs) {
    if (QThread::currentThread() == thread()) {
        StartOnOwnThread(id, periodMs);
    } else {
        QMetaObject::invokeMethod(
            this, [this, id, periodMs] { StartOnOwnThread(id, periodMs); }, Qt::QueuedConnection);
    }
}

void QtTimerService::StopTimer(int id) {
    if (QThread::currentThread() == thread()) {
        StopOnOwnThread(id);
    } else {
        QMetaObject::invokeMethod(
            this, [this, id] { StopOnOwnThread(id); }, Qt::QueuedConnection);
    }
}

bool QtTimerService::IsRunning(int id) const {
    auto it = timers_.find(id);
    return it != timers_.end() && it->second->isActive();
}

int QtTimerService::Interval(int id) const {
    auto it = timers_.find(id);
    return it == timers_.end() ? -1 : it->second->interval();
}

void QtTimerService::StartOnOwnThread(int id, int periodMs) {
    QTimer*& timer = timers_[id];
    if (!timer) {
        timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, id] {
            if (onTick_) onTick_(id);
        });
    }
    // Window timers never tick faster than every 10 ms; QTimer would treat 0 as
    // "whenever idle" and spin the event loop.
    timer->start(std::max(periodMs, kShortestPeriodMs));
}

void QtTimerService::StopOnOwnThread(int id) {
    auto it = timers_.find(id);
    if (it != timers_.end()) it->second->stop();
}

}  // namespace velmor::gui
