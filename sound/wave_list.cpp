// The wave list and its items: clip loading when the device comes up, and the voice rules of a
// request (one restarted voice for a loop; reused, new or recycled copies otherwise).
#include "sound/wave_list.h"

#include <algorithm>

#include "sound/dx_sound.h"

// ---------------------------------------------------------------------------------------------
// Items

TDXWaveListItem::~TDXWaveListItem() { finalize(); }

void TDXWaveListItem::SetWave(const std::vector<uint8_t>& riff_wave) {
  if (riff_wave == wave_) return;
  // A bad image raises here, with the old wave kept; an empty one just clears the item.
  if (!riff_wave.empty()) platform::decode_wave(riff_wave);
  finalize();
  wave_ = riff_wave;
  if (list_.device_ready()) initialize();
}

void TDXWaveListItem::initialize() {
  if (chunk_ >= 0 || wave_.empty()) return;
  chunk_ = platform::audio_load_wave(wave_);
}

void TDXWaveListItem::finalize() {
  if (chunk_ < 0) return;
  Stop();
  platform::audio_free_wave(chunk_);
  chunk_ = -1;
  primary_ = -1;
  copies_.clear();
}

void TDXWaveListItem::Play() {
  if (!Initialized()) return;
  if (looped_) {
    // A request while it sounds starts it over: a loop never has a second voice.
    platform::audio_stop(primary_);
    primary_ = platform::audio_play(chunk_, true, volume_, pan_, frequency_);
    return;
  }
  auto idle = std::find_if(copies_.begin(), copies_.end(),
                           [](platform::Voice v) { return !platform::audio_playing(v); });
  size_t copy;
  if (idle != copies_.end()) {
    copy = size_t(idle - copies_.begin());
  } else if (max_playing_count_ == 0 || copies_.size() < size_t(max_playing_count_)) {
    copies_.push_back(-1);
    copy = copies_.size() - 1;
  } else {
    // At the limit the oldest copy gives up its voice and becomes the newest.
    std::rotate(copies_.begin(), copies_.begin() + 1, copies_.end());
    copy = copies_.size() - 1;
  }
  platform::audio_stop(copies_[copy]);
  copies_[copy] = platform::audio_play(chunk_, false, volume_, pan_, frequency_);
}

void TDXWaveListItem::Stop() {
  if (!Initialized()) return;
  platform::audio_stop(primary_);
  for (platform::Voice v : copies_) platform::audio_stop(v);
}

bool TDXWaveListItem::CopyPlaying(int32_t index) const {
  return index >= 0 && size_t(index) < copies_.size() && platform::audio_playing(copies_[index]);
}

bool TDXWaveListItem::Playing() const {
  if (platform::audio_playing(primary_)) return true;
  return std::any_of(copies_.begin(), copies_.end(),
                     [](platform::Voice v) { return platform::audio_playing(v); });
}

// ---------------------------------------------------------------------------------------------
// The list

TDXWaveList::TDXWaveList(TComponent* owner) : TComponent(owner) {}

TDXWaveList::~TDXWaveList() {
  items_.clear();
  SetDXSound(nullptr);
}

void TDXWaveList::SetDXSound(TDXSound* sound) {
  if (sound == dx_sound_) return;
  if (dx_sound_) {
    device_finalized();
    dx_sound_->detach(this);
  }
  dx_sound_ = sound;
  if (dx_sound_) {
    dx_sound_->attach(this);
    if (device_ready()) device_initialized();
  }
}

TDXWaveListItem& TDXWaveList::Add() {
  items_.push_back(std::make_unique<TDXWaveListItem>(*this));
  return *items_.back();
}

TDXWaveListItem& TDXWaveList::Items(int32_t index) {
  if (index < 0 || size_t(index) >= items_.size())
    throw Exception("List index out of bounds (" + std::to_string(index) + ")");
  return *items_[size_t(index)];
}

TDXWaveListItem* TDXWaveList::Find(const std::string& name) {
  for (auto& item : items_)
    if (item->Name() == name) return item.get();
  return nullptr;
}

void TDXWaveList::Loaded() {
  if (device_ready()) device_initialized();
}

void TDXWaveList::Notification(TComponent* component) {
  // The device is going: its clips went with Finalize, only the pointer is left to forget.
  if (component == dx_sound_) dx_sound_ = nullptr;
}

bool TDXWaveList::device_ready() const { return dx_sound_ && dx_sound_->Initialized(); }

void TDXWaveList::device_initialized() {
  for (auto& item : items_) item->initialize();
}

void TDXWaveList::device_finalized() {
  for (auto& item : items_) item->finalize();
}
