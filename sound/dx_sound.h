// The sound device component: opens the mixer once the form has loaded and tells the wave lists
// that play through it when their clips can be loaded or must be let go.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/component.h"

class TDXWaveList;

// The focus and exclusivity options of the original device mean nothing to the mixer; the set
// is kept so the form's stored settings have a place.
using TDXSoundOptions = uint32_t;

class TDXSound : public TComponent {
 public:
  explicit TDXSound(TComponent* owner = nullptr);
  ~TDXSound() override;

  bool AutoInitialize() const { return auto_initialize_; }
  void SetAutoInitialize(bool value) { auto_initialize_ = value; }
  TDXSoundOptions Options() const { return options_; }
  void SetOptions(TDXSoundOptions value) { options_ = value; }

  bool Initialized() const { return initialized_; }
  // Opens the device and loads the clips of every wave list on it. Throws
  // Exception("Sound device could not be opened") when there is no device to open.
  void Initialize();
  // Lets the wave lists free their clips; the device itself stays open until the process ends.
  void Finalize();

 protected:
  // With AutoInitialize the device opens here; a missing device is swallowed and the game
  // runs silently, but a bad clip still raises.
  void Loaded() override;
  void Notification(TComponent* component) override;

 private:
  friend class TDXWaveList;
  void attach(TDXWaveList* list);
  void detach(TDXWaveList* list);

  bool auto_initialize_ = true;
  TDXSoundOptions options_ = 0;
  bool initialized_ = false;
  std::vector<TDXWaveList*> lists_;
};
