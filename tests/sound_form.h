// The form's two sound components as it loads them, for the sound tests: the device, then a wave
// list on it with the given items (looped or not, and their RIFF WAVE images).
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "engine/component.h"
#include "sound/dx_sound.h"
#include "sound/wave_list.h"

struct SoundForm {
  std::unique_ptr<TComponent> owner = std::make_unique<TComponent>();
  TDXSound* sound = nullptr;
  TDXWaveList* list = nullptr;

  explicit SoundForm(const std::vector<std::pair<bool, std::vector<uint8_t>>>& waves) {
    sound = new TDXSound(owner.get());  // owned and freed by `owner`
    list = new TDXWaveList(owner.get());
    sound->BeginLoading();
    list->BeginLoading();
    list->SetDXSound(sound);
    for (const auto& [looped, wave] : waves) {
      TDXWaveListItem& item = list->Add();
      item.SetLooped(looped);
      item.SetWave(wave);
    }
    sound->EndLoading();
    list->EndLoading();
  }
};
