#pragma once
// Window timers for the Qt-free models, made of QTimers. Each tick calls
// `onTick(id)` on the thread that owns this object (the GUI thread).

#include <QObject>
#include <QTimer>
#include <functional>
#include <map>

#include "ui/timer_service.h"

namespace velmor::gui {

class QtTimerService : public QObject, public ui::TimerService {
    Q_OBJECT
  public:
    QtTimerService(std::function<void(int)> onTick, QObject* parent);
    ~QtTimerService() override;

    // Safe from any thread: calls from other threads are queued to this object's thread.
    void StartTimer(int id, int periodMs) override;
    void StopTimer(int id) override;

    // GUI thread only.
    bool IsRunning(int id) const;
    int Interval(int id) const;  // -1 when the timer does not exist

  private:
    void StartOnOwnThread(int id, int periodMs);
    void StopOnOwnThread(int id);

    std::function<void(int)> onTick_;
    std::map<int, QTimer*> timers_;
};

}  // namespace velmor::gui
