// The wave clips: an explosion, four laser loops, the pick-up and life sounds, three ambient
// loops and the menu click. Looped clips are built so their last sample runs into their first:
// tones complete whole cycles over the loop, noise is folded over its start.
#include "content/sounds.h"

#include <cmath>

#include "content/build.h"
#include "content/file_wav.h"

namespace content {

size_t ClipFormat::samples() const { return static_cast<size_t>(std::lround(rate * seconds)); }

const std::vector<ClipFormat>& clip_formats() {
  static const std::vector<ClipFormat> formats = {
      {"vybuch", false, 22050, 1.06}, {"laser1", true, 14300, 0.50}, {"laser2", true, 14300, 0.42},
      {" laser3", true, 22050, 0.38}, {"laser4", true, 25300, 0.41}, {"dobij", false, 22050, 0.87},
      {"zivot", false, 22050, 1.05},  {"voda", true, 22050, 2.81},   {"vitr", true, 22050, 8.79},
      {"krypt", true, 22050, 4.94},   {"klap", false, 44100, 0.28},
  };
  return formats;
}

namespace {

constexpr double kTwoPi = 6.283185307179586;

// A frequency nudged so that it completes a whole number of cycles in `seconds`.
double whole_cycles(double freq, double seconds) {
  return std::max(1.0, std::round(freq * seconds)) / seconds;
}

Signal explosion(int rate, size_t n) {
  Rng rng(0x7B01);
  Signal s(n);
  Biquad lp = Biquad::lowpass(rate, 3000);
  double thump_phase = 0;
  float crackle = 0;
  for (size_t i = 0; i < n; ++i) {
    double t = static_cast<double>(i) / rate;
    lp.retune(Biquad::lowpass(rate, 180 + 3800 * std::exp(-t * 5.0), 0.9));
    float noise = lp.run(static_cast<float>(rng.range(-1, 1)));
    thump_phase += (34 + 46 * std::exp(-t * 9.0)) / rate;
    float thump = osc_sine(thump_phase) * env_ad(t, 0.004, 0.22);
    if (rng.chance(0.004 * std::exp(-t * 3))) crackle = static_cast<float>(rng.range(0.4, 1.0));
    crackle *= 0.93f;
    s[i] = (noise * 1.6f * env_ad(t, 0.003, 0.32) + thump * 0.9f +
            crackle * static_cast<float>(rng.range(-1, 1)) * 0.35f);
  }
  fade_out(s, n / 6);
  normalize(s, 0.92f);
  return s;
}

// A looped laser: `shots` pulses per loop, each a falling sweep from f0 to f1 that dies away
// before the next, so the loop point falls into silence.
Signal laser_pulses(int rate, size_t n, int shots, double f0, double f1, double detune, double duty,
                    uint64_t seed) {
  Rng rng(seed);
  Signal s(n);
  double len = static_cast<double>(n) / rate / shots;
  double pa = 0, pb = 0;
  OnePole tone(rate, rate * 0.22);
  for (size_t i = 0; i < n; ++i) {
    double t = std::fmod(static_cast<double>(i) / rate, len);
    double u = t / len;
    double f = f1 + (f0 - f1) * std::exp(-u * 4.0);
    pa += f / rate;
    pb += f * (1 + detune) / rate;
    float v = 0.6f * osc_square(pa, duty) + 0.4f * osc_saw(pb);
    v += 0.08f * static_cast<float>(rng.range(-1, 1));
    float e = env_ad(t, 0.003, len * 0.28) * env_window(t, 0, len, len * 0.1);
    s[i] = tone.lowpass(v) * e;
  }
  normalize(s, 0.8f);
  return s;
}

// A steady humming beam: every partial completes whole cycles over the loop.
Signal laser_beam(int rate, size_t n) {
  double sec = static_cast<double>(n) / rate;
  double f = whole_cycles(330, sec), wob = whole_cycles(13.2, sec), mod = whole_cycles(990, sec);
  Signal s(n);
  for (size_t i = 0; i < n; ++i) {
    double t = static_cast<double>(i) / rate;
    double fm = 0.9 * std::sin(kTwoPi * mod * t) * (1 + 0.5 * std::sin(kTwoPi * wob * t));
    double v = std::sin(kTwoPi * f * t + fm) * 0.6 +
               std::sin(kTwoPi * 2 * f * t + fm * 1.5) * 0.25 +
               osc_saw(f * t * 0.5) * 0.15 * (0.6 + 0.4 * std::sin(kTwoPi * wob * t));
    s[i] = static_cast<float>(v);
  }
  normalize(s, 0.75f);
  return s;
}

// Plasma bolts: two rising zaps with a noisy crackle.
Signal laser_plasma(int rate, size_t n) {
  Rng rng(0x1A54);
  Signal s(n);
  double len = static_cast<double>(n) / rate / 2;
  double p = 0, p2 = 0;
  Biquad bp = Biquad::bandpass(rate, 2500, 1.2);
  for (size_t i = 0; i < n; ++i) {
    double t = std::fmod(static_cast<double>(i) / rate, len);
    double u = t / len;
    double f = 260 + 1500 * u * u;
    p += f / rate;
    p2 += f * 1.5 / rate;
    float crack = bp.run(static_cast<float>(rng.range(-1, 1)));
    float v = 0.55f * osc_triangle(p) + 0.3f * osc_square(p2, 0.3) + 0.6f * crack;
    s[i] = v * env_ad(t, 0.006, len * 0.35) * env_window(t, 0, len, len * 0.12);
  }
  normalize(s, 0.8f);
  return s;
}

// Pick-up: a rising bell arpeggio with a shimmer.
Signal pickup(int rate, size_t n) {
  const double notes[5] = {523.25, 659.25, 783.99, 1046.5, 1318.5};
  Signal s(n, 0.0f);
  for (int k = 0; k < 5; ++k) {
    double start = 0.09 * k;
    for (size_t i = 0; i < n; ++i) {
      double t = static_cast<double>(i) / rate - start;
      if (t < 0) continue;
      double e = env_ad(t, 0.004, 0.16 + 0.03 * k);
      s[i] +=
          static_cast<float>(e * (std::sin(kTwoPi * notes[k] * t) * 0.6 +
                                  std::sin(kTwoPi * notes[k] * 2.76 * t) * 0.2 * std::exp(-t * 8) +
                                  std::sin(kTwoPi * notes[k] * 2 * t) * 0.15));
    }
  }
  fade_out(s, n / 8);
  normalize(s, 0.85f);
  return s;
}

// Life lost / last life: three falling alarm beeps.
Signal alarm(int rate, size_t n) {
  Signal s(n, 0.0f);
  double p = 0;
  OnePole soft(rate, 3500);
  for (size_t i = 0; i < n; ++i) {
    double t = static_cast<double>(i) / rate;
    int beep = static_cast<int>(t / 0.33);
    double bt = t - beep * 0.33;
    double f = (880.0 - beep * 170.0) * (1.0 - 0.25 * bt / 0.33);
    p += f / rate;
    float v = 0.6f * osc_square(p, 0.5) + 0.4f * osc_sine(p * 0.5);
    s[i] = soft.lowpass(v) * env_window(bt, 0, 0.28, 0.015) * (beep < 3 ? 1.0f : 0.0f);
  }
  normalize(s, 0.8f);
  return s;
}

// Under water: dark rumbling noise with bubbles rising through it.
Signal water(int rate, size_t n) {
  size_t tail = static_cast<size_t>(rate * 0.4);
  size_t total = n + tail;
  Rng rng(0x0DA7);
  Signal s(total, 0.0f);
  Biquad lp = Biquad::lowpass(rate, 420, 0.8);
  for (size_t i = 0; i < total; ++i) s[i] = lp.run(static_cast<float>(rng.range(-1, 1))) * 0.9f;
  for (int b = 0; b < 22; ++b) {
    size_t at = rng.below(static_cast<uint32_t>(total - rate / 8));
    double f0 = rng.range(260, 700), len = rng.range(0.03, 0.09), amp = rng.range(0.2, 0.5);
    double p = 0;
    for (size_t i = 0; i < static_cast<size_t>(len * rate); ++i) {
      double t = static_cast<double>(i) / rate;
      p += f0 * (1 + 2.5 * t / len) / rate;
      s[at + i] += static_cast<float>(amp * std::sin(kTwoPi * p) * env_ad(t, 0.002, len * 0.4));
    }
  }
  Signal out = fold_loop(s, n, tail);
  normalize(out, 0.7f);
  return out;
}

// Wind through the canyon: band-passed noise whose pitch and strength swell in gusts; the
// gusts complete whole periods over the loop.
Signal wind(int rate, size_t n) {
  size_t tail = static_cast<size_t>(rate * 0.6);
  size_t total = n + tail;
  double sec = static_cast<double>(n) / rate;
  double g1 = whole_cycles(0.23, sec), g2 = whole_cycles(0.57, sec), g3 = whole_cycles(1.25, sec);
  Rng rng(0x3117);
  Biquad bp = Biquad::bandpass(rate, 500, 2.5), bp2 = Biquad::bandpass(rate, 1200, 5);
  Signal s(total);
  for (size_t i = 0; i < total; ++i) {
    double t = static_cast<double>(i) / rate;
    double gust = 0.55 + 0.3 * std::sin(kTwoPi * g1 * t) + 0.15 * std::sin(kTwoPi * g2 * t + 1.3);
    if (i % 32 == 0) {
      bp.retune(Biquad::bandpass(rate, 300 + 500 * gust, 2.5));
      bp2.retune(Biquad::bandpass(rate, 900 + 900 * gust + 150 * std::sin(kTwoPi * g3 * t), 6));
    }
    float w = static_cast<float>(rng.range(-1, 1));
    s[i] = static_cast<float>((bp.run(w) * 1.0 + bp2.run(w) * 0.5 * gust) * gust);
  }
  Signal out = fold_loop(s, n, tail);
  normalize(out, 0.7f);
  return out;
}

// The crypt: a low drone of whole-cycle partials, distant drips and their echoes.
Signal crypt(int rate, size_t n) {
  size_t tail = static_cast<size_t>(rate * 0.8);
  size_t total = n + tail;
  double sec = static_cast<double>(n) / rate;
  const double partials[4] = {55, 82.5, 110.6, 164.2};
  double beat = whole_cycles(0.4, sec);
  Rng rng(0xC0FF1);
  Signal drips(total, 0.0f);
  for (int d = 0; d < 7; ++d) {
    size_t at = rng.below(static_cast<uint32_t>(total - rate / 4));
    double f = rng.range(900, 1700), amp = rng.range(0.25, 0.5);
    for (size_t i = 0; i < static_cast<size_t>(rate * 0.12); ++i) {
      double t = static_cast<double>(i) / rate;
      drips[at + i] +=
          static_cast<float>(amp * std::sin(kTwoPi * f * (1 + 3 * t) * t) * env_ad(t, 0.001, 0.02));
    }
  }
  Reverb rev(rate, 0.86, 0.4);
  Signal s(total);
  for (size_t i = 0; i < total; ++i) {
    double t = static_cast<double>(i) / rate;
    double drone = 0;
    for (int k = 0; k < 4; ++k)
      drone += std::sin(kTwoPi * whole_cycles(partials[k], sec) * t) / (k + 1.5);
    drone *= 0.7 + 0.3 * std::sin(kTwoPi * beat * t);
    float wet = rev.run(drips[i]);
    s[i] = static_cast<float>(drone * 0.5) + drips[i] * 0.5f + wet * 1.2f;
  }
  // The drone is already whole-cycled; folding smooths the drips and the reverb tail.
  Signal out = fold_loop(s, n, tail);
  normalize(out, 0.7f);
  return out;
}

// Menu click: a short wooden clack, two knocks.
Signal click(int rate, size_t n) {
  Rng rng(0xC1AC);
  Signal s(n, 0.0f);
  const double at[2] = {0.0, 0.055};
  const double freq[2] = {1800, 1150};
  for (int k = 0; k < 2; ++k) {
    Biquad bp = Biquad::bandpass(rate, freq[k], 7);
    for (size_t i = static_cast<size_t>(at[k] * rate); i < n; ++i) {
      double t = static_cast<double>(i) / rate - at[k];
      float excite = t < 0.002 ? static_cast<float>(rng.range(-1, 1)) : 0.0f;
      s[i] += bp.run(excite) * 6.0f * env_ad(t, 0.0005, 0.03) * (k ? 0.7f : 1.0f);
    }
  }
  fade_out(s, n / 5);
  normalize(s, 0.9f);
  return s;
}

}  // namespace

Signal make_clip(int index) {
  const ClipFormat& f = clip_formats().at(static_cast<size_t>(index));
  size_t n = f.samples();
  switch (index) {
    case 0:
      return explosion(f.rate, n);
    case 1:
      return laser_pulses(f.rate, n, 2, 1900, 420, 0.01, 0.5, 0x1A51);
    case 2:
      return laser_pulses(f.rate, n, 3, 1300, 300, 0.5, 0.3, 0x1A52);
    case 3:
      return laser_beam(f.rate, n);
    case 4:
      return laser_plasma(f.rate, n);
    case 5:
      return pickup(f.rate, n);
    case 6:
      return alarm(f.rate, n);
    case 7:
      return water(f.rate, n);
    case 8:
      return wind(f.rate, n);
    case 9:
      return crypt(f.rate, n);
    default:
      return click(f.rate, n);
  }
}

void add_sound_products(std::vector<Product>& out) {
  for (int i = 0; i < static_cast<int>(clip_formats().size()); ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "form/wave%02d.wav", i);
    out.push_back({name, [i]() {
                     return write_wav(to_pcm16(make_clip(i)),
                                      static_cast<uint32_t>(clip_formats()[i].rate));
                   }});
  }
}

}  // namespace content
