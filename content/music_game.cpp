// The play music: 56 bars of driving electronic music at 140 beats per minute in A minor, made
// by our own synthesiser (kick, clap, hats, rolling bass, pads, arpeggios, a saw lead with a
// stereo echo) and encoded to MP3 at 160 kbit/s.
#include <algorithm>
#include <array>
#include <cmath>

#include "content/file_mp3.h"
#include "content/music.h"
#include "content/rng.h"

namespace content {
namespace {

constexpr int kRate = 44100;
constexpr double kBpm = 140;
constexpr double kSixteenth = 60.0 / kBpm / 4;
constexpr double kBar = kSixteenth * 16;
constexpr int kBars = 56;
constexpr double kTwoPi = 6.283185307179586;

double key_hz(int key) { return 440.0 * std::pow(2.0, (key - 69) / 12.0); }

struct Bus {
  Signal l, r;
  explicit Bus(size_t n) : l(n, 0.0f), r(n, 0.0f) {}
  // Adds a voice: `f(t)` returns the mono sample at time t (seconds since the start).
  template <typename F>
  void voice(double start, double length, float pan, float gain, F f) {
    size_t a = static_cast<size_t>(start * kRate), n = static_cast<size_t>(length * kRate);
    float gl = gain * std::sqrt(0.5f * (1 - pan)), gr = gain * std::sqrt(0.5f * (1 + pan));
    for (size_t i = 0; i < n && a + i < l.size(); ++i) {
      float v = f(static_cast<double>(i) / kRate);
      l[a + i] += v * gl;
      r[a + i] += v * gr;
    }
  }
};

// Chords, one a bar: Am F C G.
const std::array<std::array<int, 3>, 4> kChords = {
    {{57, 60, 64}, {53, 57, 60}, {48, 52, 55}, {55, 59, 62}}};
const std::array<int, 4> kRoots = {45, 41, 36, 43};

using Bar = std::vector<std::pair<int, int>>;  // (key, sixteenths), 0 = rest
const std::vector<Bar> kLead = {
    {{81, 2}, {84, 2}, {88, 3}, {86, 1}, {84, 2}, {83, 2}, {81, 4}},
    {{77, 2}, {81, 2}, {84, 4}, {81, 2}, {77, 2}, {76, 4}},
    {{79, 2}, {84, 2}, {88, 2}, {91, 2}, {88, 4}, {84, 4}},
    {{86, 3}, {84, 1}, {83, 4}, {79, 4}, {0, 4}},
    {{81, 1}, {83, 1}, {84, 2}, {88, 2}, {93, 4}, {91, 2}, {88, 4}},
    {{89, 4}, {88, 2}, {84, 2}, {81, 4}, {84, 4}},
    {{88, 2}, {86, 2}, {84, 2}, {79, 2}, {84, 4}, {86, 4}},
    {{83, 4}, {86, 4}, {91, 6}, {0, 2}},
};

void kick(Bus& b, double t0) {
  b.voice(t0, 0.36, 0, 0.95f, [](double t) {
    double ph = 45 * t + 110.0 / 30.0 * (1 - std::exp(-t * 30));
    return static_cast<float>(std::sin(kTwoPi * ph) * std::exp(-t * 7.5) +
                              (t < 0.003 ? 0.4 * (1 - t / 0.003) : 0.0));
  });
}

void clap(Bus& b, double t0, Rng& rng, float gain) {
  Biquad bp = Biquad::bandpass(kRate, 1700, 0.9);
  uint64_t seed = rng.next();
  Rng noise(seed);
  b.voice(t0, 0.25, -0.1f, gain, [&](double t) {
    double e = std::exp(-t * 15) * (t < 0.02 ? 0.6 + 0.4 * std::sin(t * 900) : 1.0);
    return static_cast<float>(bp.run(static_cast<float>(noise.range(-1, 1))) * 2.2 * e +
                              std::sin(kTwoPi * 190 * t) * std::exp(-t * 25) * 0.35);
  });
}

void hat(Bus& b, double t0, bool open, Rng& rng, float gain) {
  Biquad hp = Biquad::highpass(kRate, 7500, 0.7);
  Rng noise(rng.next());
  double decay = open ? 7.0 : 55.0;
  b.voice(t0, open ? 0.3 : 0.07, 0.25f, gain, [&](double t) {
    return hp.run(static_cast<float>(noise.range(-1, 1))) *
           static_cast<float>(std::exp(-t * decay));
  });
}

void bass(Bus& b, double t0, double len, int key, double brightness) {
  double f = key_hz(key);
  Biquad lp = Biquad::lowpass(kRate, 400, 1.1);
  int n = 0;
  b.voice(t0, len + 0.02, 0, 0.55f, [&](double t) {
    if (n++ % 16 == 0)
      lp.retune(Biquad::lowpass(kRate, 180 + brightness * 1600 * std::exp(-t * 14), 1.1));
    double v = 0.5 * (2 * std::fmod(f * t, 1.0) - 1) +
               0.5 * (2 * std::fmod(f * 1.004 * t, 1.0) - 1) + 0.6 * std::sin(kTwoPi * f * 0.5 * t);
    return lp.run(static_cast<float>(v)) * env_window(t, 0, len + 0.02, 0.004);
  });
}

void pad(Bus& b, double t0, double len, const std::array<int, 3>& chord, float gain) {
  for (int side = 0; side < 2; ++side) {
    Biquad lp = Biquad::lowpass(kRate, 1300, 0.6);
    double det = side ? 1.006 : 0.994;
    b.voice(t0, len + 0.4, side ? 0.7f : -0.7f, gain, [&](double t) {
      double v = 0;
      for (int k : chord) {
        double f = key_hz(k) * det;
        v += (2 * std::fmod(f * t, 1.0) - 1) + 0.5 * (2 * std::fmod(f * 2.003 * t, 1.0) - 1);
      }
      double e = std::min(1.0, t / 0.25) * (t > len ? std::exp(-(t - len) / 0.12) : 1.0);
      return lp.run(static_cast<float>(v * 0.22 * e));
    });
  }
}

void pluck(Bus& b, double t0, int key, float pan, float gain) {
  double f = key_hz(key);
  Biquad lp = Biquad::lowpass(kRate, 3000, 1.5);
  int n = 0;
  b.voice(t0, 0.2, pan, gain, [&](double t) {
    if (n++ % 16 == 0) lp.retune(Biquad::lowpass(kRate, 500 + 5000 * std::exp(-t * 25), 1.5));
    double v = std::fmod(f * t, 1.0) < 0.5 ? 1.0 : -1.0;
    return lp.run(static_cast<float>(v * std::exp(-t * 14) * std::min(1.0, t / 0.002)));
  });
}

void lead(Bus& b, double t0, double len, int key, float gain) {
  double f = key_hz(key);
  Biquad lp = Biquad::lowpass(kRate, 3800, 0.9);
  const double detune[3] = {0.994, 1.0, 1.0065};
  const float pans[3] = {-0.5f, 0, 0.5f};
  for (int v = 0; v < 3; ++v) {
    Biquad own = lp;
    b.voice(t0, len + 0.09, pans[v], gain, [&](double t) {
      double vib = t > 0.15 ? 0.004 * std::sin(kTwoPi * 5.5 * t) : 0.0;
      double ph = f * detune[v] * t * (1 + vib);
      double e = std::min(1.0, t / 0.006) * (t > len ? std::exp(-(t - len) / 0.03) : 1.0);
      return own.run(static_cast<float>((2 * std::fmod(ph, 1.0) - 1) * 0.35 * e));
    });
  }
}

void riser(Bus& b, double t0, double len, Rng& rng) {
  Rng noise(rng.next());
  Biquad bp = Biquad::bandpass(kRate, 500, 2);
  int n = 0;
  b.voice(t0, len, 0, 0.35f, [&](double t) {
    double u = t / len;
    if (n++ % 32 == 0) bp.retune(Biquad::bandpass(kRate, 400 + 7000 * u * u, 2));
    return bp.run(static_cast<float>(noise.range(-1, 1))) * static_cast<float>(u * u);
  });
}

// Ping-pong echo of 3/16 with feedback.
void echo(Bus& b, double feedback, float mix) {
  size_t d = static_cast<size_t>(kSixteenth * 3 * kRate);
  Signal l = b.l, r = b.r;
  for (size_t i = d; i < l.size(); ++i) {
    l[i] += static_cast<float>(r[i - d] * feedback);
    r[i] += static_cast<float>(l[i - d] * feedback);
  }
  for (size_t i = 0; i < l.size(); ++i) {
    b.l[i] += (l[i] - b.l[i]) * mix;
    b.r[i] += (r[i] - b.r[i]) * mix;
  }
}

}  // namespace

StereoTrack render_game_music() {
  const size_t n = static_cast<size_t>(kBars * kBar * kRate) + 1;
  Bus drums(n), synth(n), leads(n);
  Rng rng(0x4A11);
  std::vector<double> kicks;

  for (int bar = 0; bar < kBars; ++bar) {
    double at = bar * kBar;
    int c = bar % 4;
    bool intro = bar < 8, groove = bar >= 8, melody = (bar >= 24 && bar < 40) || bar >= 48;
    bool brk = bar >= 40 && bar < 48;
    for (int s = 0; s < 16; ++s) {
      double t = at + s * kSixteenth;
      if (!brk && s % 4 == 0) {
        kick(drums, t);
        kicks.push_back(t);
      }
      if (!brk && groove && (s == 4 || s == 12)) clap(drums, t, rng, 0.5f);
      if (!brk && s % 4 == 2) hat(drums, t, bar % 4 == 3 && s == 14, rng, intro ? 0.18f : 0.26f);
      if (!brk && groove && s % 2 == 1) hat(drums, t, false, rng, 0.1f);
      // Rolling bass: the three sixteenths after each kick.
      if (!brk && s % 4 != 0) {
        int key = kRoots[c] + (s % 4 == 3 ? 12 : 0);
        double bright = intro ? 0.2 + 0.8 * bar / 8.0 : 1.0;
        bass(synth, t, kSixteenth * 0.9, key, bright);
      }
      if ((groove && !intro) || brk) {
        static const int arp[16] = {0, 1, 2, 1, 0, 2, 1, 2, 0, 1, 2, 1, 2, 1, 0, 2};
        int key = kChords[c][arp[s]] + 12 + (s >= 8 ? 12 : 0);
        pluck(leads, t, key, s % 2 ? 0.45f : -0.45f, brk ? 0.2f : 0.16f);
      }
    }
    if (groove || brk) pad(synth, at, kBar, kChords[c], brk ? 0.26f : 0.16f);
    if (melody || brk) {
      const Bar& line = kLead[static_cast<size_t>(bar % 8)];
      double t = at;
      for (auto [key, len] : line) {
        double d = len * kSixteenth;
        if (key) lead(leads, t, d * 0.92, key, brk ? 0.22f : 0.34f);
        t += d;
      }
    }
    if (bar == 7 || bar == 23 || bar == 47) riser(drums, at, kBar, rng);
    // A clap roll into the drop and into the loop's restart.
    if (bar == 47 || bar == kBars - 1)
      for (int s = 8; s < 16; ++s) clap(drums, at + s * kSixteenth, rng, 0.25f + 0.03f * (s - 8));
  }
  echo(leads, 0.38, 0.45f);

  // The kick ducks the synths, the pump of the style.
  StereoTrack out;
  out.left.assign(n, 0.0f);
  out.right.assign(n, 0.0f);
  size_t k = 0;
  double last = -10;
  for (size_t i = 0; i < n; ++i) {
    double t = static_cast<double>(i) / kRate;
    while (k < kicks.size() && kicks[k] <= t) last = kicks[k++];
    float duck = static_cast<float>(1.0 - 0.55 * std::exp(-(t - last) * 9.0));
    float l = drums.l[i] + (synth.l[i] + leads.l[i]) * duck;
    float r = drums.r[i] + (synth.r[i] + leads.r[i]) * duck;
    // Gentle saturation keeps the peaks in.
    out.left[i] = std::tanh(l * 0.9f);
    out.right[i] = std::tanh(r * 0.9f);
  }
  return out;
}

Bytes make_game_mp3() {
  StereoTrack t = render_game_music();
  return encode_mp3(t.left, t.right, t.rate, 160);
}

}  // namespace content
