// The synthesiser's parts. Everything runs in double where the state accumulates, so long
// renders stay clean.
#include "content/synth.h"

#include <algorithm>
#include <cmath>

namespace content {

namespace {
constexpr double kTwoPi = 6.283185307179586;
double frac(double v) { return v - std::floor(v); }
}  // namespace

float osc_sine(double phase) { return static_cast<float>(std::sin(kTwoPi * phase)); }
float osc_saw(double phase) { return static_cast<float>(2.0 * frac(phase) - 1.0); }
float osc_square(double phase, double duty) { return frac(phase) < duty ? 1.0f : -1.0f; }
float osc_triangle(double phase) {
  double f = frac(phase);
  return static_cast<float>(f < 0.5 ? 4.0 * f - 1.0 : 3.0 - 4.0 * f);
}

Biquad Biquad::lowpass(double rate, double freq, double q) {
  Biquad b;
  double w = kTwoPi * std::min(freq, rate * 0.45) / rate, c = std::cos(w),
         alpha = std::sin(w) / (2 * q), a0 = 1 + alpha;
  b.b0 = (1 - c) / 2 / a0;
  b.b1 = (1 - c) / a0;
  b.b2 = (1 - c) / 2 / a0;
  b.a1 = -2 * c / a0;
  b.a2 = (1 - alpha) / a0;
  return b;
}

Biquad Biquad::highpass(double rate, double freq, double q) {
  Biquad b;
  double w = kTwoPi * std::min(freq, rate * 0.45) / rate, c = std::cos(w),
         alpha = std::sin(w) / (2 * q), a0 = 1 + alpha;
  b.b0 = (1 + c) / 2 / a0;
  b.b1 = -(1 + c) / a0;
  b.b2 = (1 + c) / 2 / a0;
  b.a1 = -2 * c / a0;
  b.a2 = (1 - alpha) / a0;
  return b;
}

Biquad Biquad::bandpass(double rate, double freq, double q) {
  Biquad b;
  double w = kTwoPi * std::min(freq, rate * 0.45) / rate, c = std::cos(w),
         alpha = std::sin(w) / (2 * q), a0 = 1 + alpha;
  b.b0 = alpha / a0;
  b.b1 = 0;
  b.b2 = -alpha / a0;
  b.a1 = -2 * c / a0;
  b.a2 = (1 - alpha) / a0;
  return b;
}

float Biquad::run(float xf) {
  double x = xf;
  double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
  x2 = x1;
  x1 = x;
  y2 = y1;
  y1 = y;
  return static_cast<float>(y);
}

void Biquad::retune(const Biquad& o) {
  b0 = o.b0;
  b1 = o.b1;
  b2 = o.b2;
  a1 = o.a1;
  a2 = o.a2;
}

OnePole::OnePole(double rate, double freq) : k(1.0 - std::exp(-kTwoPi * freq / rate)) {}

float OnePole::lowpass(float x) {
  y += k * (x - y);
  return static_cast<float>(y);
}

Reverb::Reverb(double rate, double room, double damping) : feedback_(room), damping_(damping) {
  const double comb_ms[4] = {29.7, 37.1, 41.1, 43.7};
  const double pass_ms[2] = {5.0, 1.7};
  for (double ms : comb_ms)
    combs_.push_back({std::vector<float>(static_cast<size_t>(rate * ms / 1000.0), 0.0f), 0});
  for (double ms : pass_ms)
    passes_.push_back({std::vector<float>(static_cast<size_t>(rate * ms / 1000.0), 0.0f), 0});
  damp_state_.assign(combs_.size(), 0.0f);
}

float Reverb::run(float x) {
  float sum = 0;
  for (size_t i = 0; i < combs_.size(); ++i) {
    Line& l = combs_[i];
    float out = l.buf[l.at];
    damp_state_[i] = static_cast<float>(out * (1 - damping_) + damp_state_[i] * damping_);
    l.buf[l.at] = static_cast<float>(x + damp_state_[i] * feedback_);
    l.at = (l.at + 1) % l.buf.size();
    sum += out;
  }
  float y = sum * 0.25f;
  for (Line& l : passes_) {
    float b = l.buf[l.at];
    float in = y + b * 0.5f;
    l.buf[l.at] = in;
    l.at = (l.at + 1) % l.buf.size();
    y = b - in * 0.5f;
  }
  return y;
}

float env_ad(double t, double attack, double decay) {
  if (t < 0) return 0;
  if (t < attack) return static_cast<float>(t / attack);
  return static_cast<float>(std::exp(-(t - attack) / decay));
}

float env_window(double t, double t0, double t1, double edge) {
  if (t <= t0 || t >= t1) return 0;
  double a = std::min(t - t0, t1 - t);
  if (a >= edge) return 1;
  return static_cast<float>(0.5 - 0.5 * std::cos(3.141592653589793 * a / edge));
}

Signal fold_loop(const Signal& longer, size_t n, size_t tail) {
  Signal out(longer.begin(), longer.begin() + static_cast<std::ptrdiff_t>(n));
  tail = std::min(tail, longer.size() - n);
  for (size_t i = 0; i < tail && i < n; ++i) {
    double t = (static_cast<double>(i) + 0.5) / static_cast<double>(tail);
    double in = std::sin(t * 1.5707963267948966), away = std::cos(t * 1.5707963267948966);
    out[i] = static_cast<float>(longer[i] * in + longer[n + i] * away);
  }
  return out;
}

void normalize(Signal& s, float peak) {
  float m = 0;
  for (float v : s) m = std::max(m, std::fabs(v));
  if (m <= 0) return;
  for (float& v : s) v *= peak / m;
}

void fade_out(Signal& s, size_t n) {
  n = std::min(n, s.size());
  for (size_t i = 0; i < n; ++i)
    s[s.size() - 1 - i] *= static_cast<float>(i) / static_cast<float>(n);
}

void fade_in(Signal& s, size_t n) {
  n = std::min(n, s.size());
  for (size_t i = 0; i < n; ++i) s[i] *= static_cast<float>(i) / static_cast<float>(n);
}

}  // namespace content
