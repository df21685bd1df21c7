// The sound synthesiser's parts: oscillators, noise, filters, envelopes, a small reverb and the
// loop and level helpers that the clips and the play music are built from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "content/rng.h"

namespace content {

using Signal = std::vector<float>;

float osc_sine(double phase);  // phase in cycles
float osc_saw(double phase);   // -1..1
float osc_square(double phase, double duty = 0.5);
float osc_triangle(double phase);

// Biquad filter (RBJ cookbook forms); the state lives in the object.
class Biquad {
 public:
  static Biquad lowpass(double rate, double freq, double q = 0.707);
  static Biquad highpass(double rate, double freq, double q = 0.707);
  static Biquad bandpass(double rate, double freq, double q);
  float run(float x);
  // Changes the coefficients, keeps the state (for sweeping filters).
  void retune(const Biquad& other);

 private:
  double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
  double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
};

class OnePole {
 public:
  OnePole(double rate, double freq);
  float lowpass(float x);
  float highpass(float x) { return x - lowpass(x); }

 private:
  double k, y = 0;
};

// A Schroeder reverb (four combs, two all-passes).
class Reverb {
 public:
  Reverb(double rate, double room, double damping);
  float run(float x);

 private:
  struct Line {
    std::vector<float> buf;
    size_t at = 0;
  };
  std::vector<Line> combs_, passes_;
  std::vector<float> damp_state_;
  double feedback_, damping_;
};

// Attack / decay envelope value at time t (seconds): linear rise over `attack`, then e^(-t/decay).
float env_ad(double t, double attack, double decay);
// 0 outside [t0, t1], a raised-cosine fade of `edge` seconds at both ends, 1 between.
float env_window(double t, double t0, double t1, double edge);

// Folds `tail` extra samples at the end back over the start (equal-power crossfade), so a signal
// rendered `tail` samples longer than the loop plays round without a seam.
Signal fold_loop(const Signal& longer, size_t loop_length, size_t tail);
// Scales so the largest magnitude is `peak`.
void normalize(Signal& s, float peak);
void fade_out(Signal& s, size_t samples);
void fade_in(Signal& s, size_t samples);

}  // namespace content
