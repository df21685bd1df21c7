// The wave list: the game's sound effects, played by index through the sound device. A looped
// item is one voice; a non-looped item keeps a list of copies that overlapping requests share.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/component.h"
#include "platform/platform.h"

class TDXSound;
class TDXWaveList;

class TDXWaveListItem {
 public:
  explicit TDXWaveListItem(TDXWaveList& list) : list_(list) {}
  ~TDXWaveListItem();
  TDXWaveListItem(const TDXWaveListItem&) = delete;
  TDXWaveListItem& operator=(const TDXWaveListItem&) = delete;

  const std::string& Name() const { return name_; }
  void SetName(const std::string& value) { name_ = value; }
  bool Looped() const { return looped_; }
  void SetLooped(bool value) { looped_ = value; }
  // The most copies of a non-looped item sounding at once; 0 = no limit.
  int32_t MaxPlayingCount() const { return max_playing_count_; }
  void SetMaxPlayingCount(int32_t value) { max_playing_count_ = value < 0 ? 0 : value; }
  // A complete RIFF WAVE image (empty: none). Throws Exception("Invalid wave data: ...") and
  // keeps the old wave when the image is not one.
  const std::vector<uint8_t>& Wave() const { return wave_; }
  void SetWave(const std::vector<uint8_t>& riff_wave);
  // Applied to each voice as it starts: volume 0..1, pan -1 (left)..1 (right), frequency in Hz
  // (0: the file's own rate).
  float Volume() const { return volume_; }
  void SetVolume(float value) { volume_ = value < 0 ? 0 : value > 1 ? 1 : value; }
  float Pan() const { return pan_; }
  void SetPan(float value) { pan_ = value < -1 ? -1 : value > 1 ? 1 : value; }
  int32_t Frequency() const { return frequency_; }
  void SetFrequency(int32_t value) { frequency_ = value < 0 ? 0 : value; }

  // True once the device holds the clip; until then Play and Stop do nothing.
  bool Initialized() const { return chunk_ >= 0; }
  void Play();
  void Stop();

  // The copy list in its order (oldest first), for the game's tests and the benchmark.
  int32_t CopyCount() const { return int32_t(copies_.size()); }
  bool CopyPlaying(int32_t index) const;
  bool Playing() const;  // any voice of this item sounding

 private:
  friend class TDXWaveList;
  void initialize();
  void finalize();

  TDXWaveList& list_;
  std::string name_;
  bool looped_ = false;
  int32_t max_playing_count_ = 0;
  std::vector<uint8_t> wave_;
  float volume_ = 1;
  float pan_ = 0;
  int32_t frequency_ = 0;

  platform::Chunk chunk_ = -1;
  platform::Voice primary_ = -1;         // the looped voice
  std::vector<platform::Voice> copies_;  // one voice handle per copy, kept for reuse
};

class TDXWaveList : public TComponent {
 public:
  explicit TDXWaveList(TComponent* owner = nullptr);
  ~TDXWaveList() override;

  TDXSound* DXSound() const { return dx_sound_; }
  void SetDXSound(TDXSound* sound);

  TDXWaveListItem& Add();
  int32_t Count() const { return int32_t(items_.size()); }
  // Throws Exception("List index out of bounds (i)") outside 0..Count-1.
  TDXWaveListItem& Items(int32_t index);
  TDXWaveListItem* Find(const std::string& name);

  // The game's calls by wave number: start item i, or silence it with every copy.
  void playWave(int32_t i) { Items(i).Play(); }
  void stopWave(int32_t i) { Items(i).Stop(); }

 protected:
  void Loaded() override;
  void Notification(TComponent* component) override;

 private:
  friend class TDXSound;
  friend class TDXWaveListItem;
  bool device_ready() const;
  void device_initialized();
  void device_finalized();

  TDXSound* dx_sound_ = nullptr;
  std::vector<std::unique_ptr<TDXWaveListItem>> items_;
};
