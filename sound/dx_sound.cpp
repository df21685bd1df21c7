// The sound device component over the platform's mixer.
#include "sound/dx_sound.h"

#include <algorithm>

#include "platform/platform.h"
#include "sound/wave_list.h"

TDXSound::TDXSound(TComponent* owner) : TComponent(owner) {}

// The lists still using us free their clips now and forget us in their Notification.
TDXSound::~TDXSound() { Finalize(); }

void TDXSound::Initialize() {
  if (initialized_) return;
  if (!platform::audio_open()) throw Exception("Sound device could not be opened");
  initialized_ = true;
  auto lists = lists_;
  for (TDXWaveList* list : lists) list->device_initialized();
}

void TDXSound::Finalize() {
  if (!initialized_) return;
  initialized_ = false;
  auto lists = lists_;
  for (TDXWaveList* list : lists) list->device_finalized();
}

void TDXSound::Loaded() {
  if (!auto_initialize_ || initialized_) return;
  if (!platform::audio_open()) return;  // no sound card, no server: the game plays silently
  Initialize();
}

void TDXSound::Notification(TComponent* component) {
  lists_.erase(std::remove(lists_.begin(), lists_.end(), component), lists_.end());
}

void TDXSound::attach(TDXWaveList* list) {
  if (std::find(lists_.begin(), lists_.end(), list) == lists_.end()) lists_.push_back(list);
  FreeNotification(list);
}

void TDXSound::detach(TDXWaveList* list) {
  lists_.erase(std::remove(lists_.begin(), lists_.end(), list), lists_.end());
  RemoveFreeNotification(list);
}
