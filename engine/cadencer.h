// The frame clock: measures time, advances the scene and the registered effect managers and
// calls the game's per-frame handler, driven by a posted message as often as the loop allows.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "engine/component.h"
#include "engine/scene_object.h"

enum TGLCadencerTimeReference { cmRTC, cmPerformanceCounter, cmExternal };
enum TGLCadencerMode { cmManual, cmASAP, cmApplicationIdle };

class TGLCadencer : public TComponent {
 public:
  explicit TGLCadencer(TComponent* owner = nullptr);
  ~TGLCadencer() override;

  TGLScene* Scene() const { return scene_; }
  void SetScene(TGLScene* scene);
  bool Enabled() const { return enabled_; }
  // Off remembers when; on moves the origin by the time spent off, so newTime does not jump.
  void SetEnabled(bool v);
  TGLCadencerTimeReference TimeReference() const { return time_reference_; }
  void SetTimeReference(TGLCadencerTimeReference v);
  double TimeMultiplier() const { return time_multiplier_; }
  // Rescales the origin so the current time stays continuous; 0 disables the cadencer.
  void SetTimeMultiplier(double m);
  double MaxDeltaTime() const { return max_delta_time_; }
  void SetMaxDeltaTime(double v) { max_delta_time_ = v; }
  TGLCadencerMode Mode() const { return mode_; }
  void SetMode(TGLCadencerMode v);
  // Milliseconds slept before each step; −1: never.
  int32_t SleepLength() const { return sleep_length_; }
  void SetSleepLength(int32_t v) { sleep_length_ = v; }
  TGLProgressEvent OnProgress;

  // One progress step (cmManual callers and the drivers).
  void Progress();
  // (source − origin) × TimeMultiplier, also remembered as the external time.
  double GetCurrentTime();
  // newTime of the last step.
  double CurrentTime() const { return last_time_; }
  // The external clock's value (cmExternal reads it as its source).
  void SetCurrentTime(double t) { external_time_ = t; }
  double OriginTime() const { return origin_time_; }
  void SetOriginTime(double t) { origin_time_ = t; }
  // Time starts again from 0 now.
  void Reset();
  // A step is running (negative while the scene is being advanced).
  bool IsBusy() const { return progressing_ != 0; }

  // Cadenced components (the effect managers), progressed in registration order each step and
  // forgotten when freed.
  void Subscribe(TGLCadenceAbleComponent* component);
  void UnSubscribe(TGLCadenceAbleComponent* component);
  int SubscriberCount() const { return static_cast<int>(subscribers_.size()); }

 protected:
  void Loaded() override;
  void Notification(TComponent* component) override;

 private:
  double raw_reference_time() const;
  // Joins or leaves the message window (cmASAP) or the idle hooks (cmApplicationIdle).
  void update_driving();

  TGLScene* scene_ = nullptr;
  TComponent* scene_component_ = nullptr;  // the same object, compared while it is being freed
  bool enabled_ = true;
  TGLCadencerTimeReference time_reference_ = cmPerformanceCounter;
  double time_multiplier_ = 1;
  double remembered_multiplier_ = 1;  // the multiplier before it was set to 0
  double max_delta_time_ = 0;
  TGLCadencerMode mode_ = cmASAP;
  int32_t sleep_length_ = -1;

  double origin_time_ = 0;
  double last_time_ = 0;
  double disabled_time_ = 0;
  double external_time_ = 0;
  int progressing_ = 0;
  std::vector<std::pair<TComponent*, TGLCadenceAbleComponent*>> subscribers_;
};
