// The frame clock's time rules and progress step, and the shared hidden message window that
// drives every cmASAP cadencer from posted messages (with a timer when the queue floods).
#include "engine/cadencer.h"

#include <algorithm>
#include <chrono>

#include "engine/application.h"
#include "platform/platform.h"

namespace {

// The hidden message window: it exists while at least one cadencer is driven by it.
struct AsapWindow {
  bool exists = false;
  uint32_t posted = 0;                  // the private message it posts itself
  uint32_t timer = 0;                   // the 1 ms timer's message, used once the queue floods
  bool waiting = false;                 // flooded: the next step waits for the timer
  int flood = 0;                        // messages in a row stamped with the current tick
  std::vector<TGLCadencer*> cadencers;  // in registration order
};

AsapWindow& asap() {
  static AsapWindow window;
  return window;
}

bool asap_contains(TGLCadencer* c) {
  auto& list = asap().cadencers;
  return std::find(list.begin(), list.end(), c) != list.end();
}

void progress_driven() {
  AsapWindow& w = asap();
  // A copy: a step may disable (and so unregister) any cadencer, itself included.
  std::vector<TGLCadencer*> list = w.cadencers;
  bool paced = false;
  for (size_t i = list.size(); i > 0; --i) {
    TGLCadencer* c = list[i - 1];
    if (!asap_contains(c)) continue;
    if (Application.Terminated()) {
      c->SetEnabled(false);
      continue;
    }
    if (!c->Enabled() || c->IsBusy()) continue;
    if (!paced) {
      platform::pace_frame();
      paced = true;
    }
    try {
      c->Progress();
    } catch (const std::exception& e) {
      // The frame clock stops; the game stops advancing, the report stays on screen.
      Application.HandleException(e);
      c->SetEnabled(false);
    }
  }
}

void asap_handle(uint32_t message, uint32_t message_time) {
  AsapWindow& w = asap();
  if (!w.exists) return;
  if (message == w.timer) {
    platform::stop_timer(w.timer);
    w.waiting = false;
    w.flood = 0;
  } else if (message == w.posted) {
    if (w.waiting) return;
    if (message_time == platform::tick_count()) {
      if (++w.flood > 5000) {
        // The queue holds nothing but us: let a 1 ms timer set the pace for a while.
        w.waiting = true;
        platform::start_timer(w.timer);
        return;
      }
    } else {
      w.flood = 0;
    }
  } else {
    return;
  }
  progress_driven();
  if (w.exists && !w.waiting) platform::post_message(w.posted);
}

void asap_register(TGLCadencer* c) {
  AsapWindow& w = asap();
  if (!asap_contains(c)) w.cadencers.push_back(c);
  if (w.exists) return;
  w.posted = platform::register_message(asap_handle);
  w.timer = platform::register_message(asap_handle);
  w.exists = true;
  w.waiting = false;
  w.flood = 0;
  platform::post_message(w.posted);
}

void asap_unregister(TGLCadencer* c) {
  AsapWindow& w = asap();
  w.cadencers.erase(std::remove(w.cadencers.begin(), w.cadencers.end(), c), w.cadencers.end());
  if (!w.cadencers.empty() || !w.exists) return;
  // The last one left: the window goes; a message still queued for it is dropped.
  if (w.waiting) platform::stop_timer(w.timer);
  platform::unregister_message(w.posted);
  platform::unregister_message(w.timer);
  w.exists = false;
  w.waiting = false;
}

// Decrements the nesting counter on every way out of a step, restoring its sign first.
struct NestingGuard {
  int& counter;
  ~NestingGuard() {
    if (counter < 0) counter = -counter;
    --counter;
  }
};

}  // namespace

TGLCadencer::TGLCadencer(TComponent* owner) : TComponent(owner) {
  origin_time_ = raw_reference_time();
  update_driving();
}

TGLCadencer::~TGLCadencer() {
  asap_unregister(this);
  Application.RemoveIdleHandler(this);
  if (scene_component_) RemoveFreeNotification(scene_component_);
  for (auto& s : subscribers_) RemoveFreeNotification(s.first);
}

double TGLCadencer::raw_reference_time() const {
  switch (time_reference_) {
    case cmRTC: {
      // The calendar clock in seconds; only differences matter.
      auto now = std::chrono::system_clock::now().time_since_epoch();
      return std::chrono::duration<double>(now).count();
    }
    case cmPerformanceCounter:
      return static_cast<double>(platform::performance_counter()) /
             static_cast<double>(platform::performance_frequency());
    case cmExternal:
      return external_time_;
  }
  return 0;
}

double TGLCadencer::GetCurrentTime() {
  double t = (raw_reference_time() - origin_time_) * time_multiplier_;
  external_time_ = t;
  return t;
}

void TGLCadencer::Reset() {
  last_time_ = 0;
  origin_time_ = raw_reference_time();
}

void TGLCadencer::SetScene(TGLScene* scene) {
  if (scene == scene_) return;
  if (scene_component_) RemoveFreeNotification(scene_component_);
  scene_ = scene;
  scene_component_ = scene;
  if (scene_component_) FreeNotification(scene_component_);
  update_driving();
}

void TGLCadencer::SetEnabled(bool v) {
  if (v == enabled_) return;
  if (!v) {
    disabled_time_ = raw_reference_time();
    enabled_ = false;
  } else {
    origin_time_ += raw_reference_time() - disabled_time_;
    enabled_ = true;
  }
  update_driving();
}

void TGLCadencer::SetTimeReference(TGLCadencerTimeReference v) {
  if (v == time_reference_) return;
  // Keep the current time continuous across the change of source.
  double now = (raw_reference_time() - origin_time_) * time_multiplier_;
  time_reference_ = v;
  double raw = raw_reference_time();
  origin_time_ = time_multiplier_ != 0 ? raw - now / time_multiplier_ : raw;
}

void TGLCadencer::SetTimeMultiplier(double m) {
  if (m == time_multiplier_) return;
  if (m == 0) {
    remembered_multiplier_ = time_multiplier_;
    time_multiplier_ = 0;
    SetEnabled(false);
    return;
  }
  double old = time_multiplier_;
  if (old == 0) {
    // Back from a standstill: first take out the time spent stopped, then rescale.
    old = remembered_multiplier_;
    SetEnabled(true);
  }
  double now = raw_reference_time();
  origin_time_ = now - (now - origin_time_) * old / m;
  time_multiplier_ = m;
}

void TGLCadencer::SetMode(TGLCadencerMode v) {
  if (v == mode_) return;
  mode_ = v;
  update_driving();
}

void TGLCadencer::Loaded() { update_driving(); }

void TGLCadencer::update_driving() {
  bool driven = enabled_ && !Loading() && scene_;
  if (driven && mode_ == cmASAP)
    asap_register(this);
  else
    asap_unregister(this);
  if (driven && mode_ == cmApplicationIdle) {
    Application.AddIdleHandler(this, [this] {
      if (!enabled_ || IsBusy()) return;
      platform::pace_frame();
      try {
        Progress();
      } catch (const std::exception& e) {
        Application.HandleException(e);
        SetEnabled(false);
      }
    });
  } else {
    Application.RemoveIdleHandler(this);
  }
}

void TGLCadencer::Subscribe(TGLCadenceAbleComponent* component) {
  if (!component) return;
  for (auto& s : subscribers_)
    if (s.second == component) return;
  subscribers_.emplace_back(component, component);
  FreeNotification(component);
}

void TGLCadencer::UnSubscribe(TGLCadenceAbleComponent* component) {
  auto it = std::find_if(subscribers_.begin(), subscribers_.end(),
                         [&](auto& s) { return s.second == component; });
  if (it == subscribers_.end()) return;
  TComponent* c = it->first;
  subscribers_.erase(it);
  RemoveFreeNotification(c);
}

void TGLCadencer::Notification(TComponent* component) {
  subscribers_.erase(std::remove_if(subscribers_.begin(), subscribers_.end(),
                                    [&](auto& s) { return s.first == component; }),
                     subscribers_.end());
  if (component && component == scene_component_) {
    scene_ = nullptr;
    scene_component_ = nullptr;
    update_driving();
  }
  TComponent::Notification(component);
}

void TGLCadencer::Progress() {
  // 1. No second step while one advances the scene.
  if (progressing_ < 0) return;
  ++progressing_;
  NestingGuard guard{progressing_};
  // 2.
  if (!enabled_) return;
  // 3.
  if (sleep_length_ >= 0) platform::sleep_ms(sleep_length_);
  // 4. Input handlers run before the frame.
  if (progressing_ == 1 && mode_ == cmASAP) platform::process_window_events();
  // 5.
  if (!enabled_) return;
  double new_time = GetCurrentTime();
  double delta_time = new_time - last_time_;
  // 6. A stall longer than MaxDeltaTime is cut and the rest taken out of the clock.
  if (max_delta_time_ > 0 && delta_time > max_delta_time_) {
    if (time_multiplier_ != 0) origin_time_ += (delta_time - max_delta_time_) / time_multiplier_;
    delta_time = max_delta_time_;
    new_time = last_time_ + max_delta_time_;
  }
  // 7. The scene advances with the sign trick keeping out nested steps.
  if (scene_ && delta_time != 0) {
    struct SceneGuard {
      TGLCadencer& c;
      double new_time;
      ~SceneGuard() {
        c.progressing_ = -c.progressing_;
        c.last_time_ = new_time;
      }
    };
    progressing_ = -progressing_;
    SceneGuard scene_guard{*this, new_time};
    scene_->Progress(TProgressTimes{delta_time, new_time});
  }
  // Without a scene the last time moves on too, so managers get per-step deltas.
  last_time_ = new_time;
  // 8. The cadenced components in registration order (a copy: one may unsubscribe another).
  TProgressTimes times{delta_time, new_time};
  auto subscribers = subscribers_;
  for (auto& s : subscribers) {
    bool still = std::any_of(subscribers_.begin(), subscribers_.end(),
                             [&](auto& e) { return e.second == s.second; });
    if (still) s.second->Progress(times);
  }
  // 9. The game's handler.
  if (OnProgress) OnProgress(this, delta_time, new_time);
}
