#pragma once
// Window timers for models: the view implements it with QTimer, tests with a
// fake they tick by hand. Ticks arrive on the user-interface thread as
// `OnTimer(id)` calls of the model that started the timer.

namespace velmor::ui {

class TimerService {
  public:
    virtual ~TimerService() = default;
    virtual void StartTimer(int id, int periodMs) = 0;  // restarts a running timer
    virtual void StopTimer(int id) = 0;
};

}  // namespace velmor::ui
