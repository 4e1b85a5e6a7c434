// Synthesises the game's twelve sounds (the looping main theme and the eleven effects) as mono
// 22050 Hz Ogg Vorbis files, and prints each one's length, peak and RMS level.
//
//   gen_sounds [output folder]     (default: data/Sounds/Tovel of the source tree)
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;
// Every file is normalised to this peak (-3 dBFS, leaving room for the encoder's overshoot), so the
// in-game factors alone set the mix.
constexpr double kPeak = 0.7;

using Samples = std::vector<double>;

int Frames(double seconds) {
  return static_cast<int>(std::lround(seconds * kRate));
}

// Deterministic white noise in -1..1, so every run writes the same files.
struct Noise {
  uint32_t state = 0x1234567u;
  double operator()() {
    state = state * 1664525u + 1013904223u;
    return static_cast<double>(state >> 8) / static_cast<double>(1u << 23) - 1.0;
  }
};

// ---- oscillators (phase in cycles) ----

double Sine(double phase) {
  return std::sin(2.0 * kPi * phase);
}
double Square(double phase, double duty = 0.5) {
  double f = phase - std::floor(phase);
  return f < duty ? 1.0 : -1.0;
}
double Saw(double phase) {
  double f = phase - std::floor(phase);
  return 2.0 * f - 1.0;
}
double Triangle(double phase) {
  double f = phase - std::floor(phase);
  return f < 0.5 ? 4.0 * f - 1.0 : 3.0 - 4.0 * f;
}

// Frequency of a note given in semitones from A4 (440 Hz).
double Note(int semitonesFromA4) {
  return 440.0 * std::pow(2.0, semitonesFromA4 / 12.0);
}

// Linear attack then exponential decay with time constant tau.
double AttackDecay(double t, double attack, double tau) {
  if (t < 0)
    return 0;
  if (t < attack)
    return t / attack;
  return std::exp(-(t - attack) / tau);
}

// Attack, sustain at 1, linear release ending at length.
double Gate(double t, double length, double attack, double release) {
  if (t < 0 || t > length)
    return 0;
  double a = attack > 0 ? std::min(1.0, t / attack) : 1.0;
  double r = release > 0 ? std::min(1.0, (length - t) / release) : 1.0;
  return a * r;
}

// One-pole low-pass filter.
struct LowPass {
  double y = 0;
  double operator()(double x, double cutoff) {
    double a = 1.0 - std::exp(-2.0 * kPi * cutoff / kRate);
    y += a * (x - y);
    return y;
  }
};

// Adds a voice rendered sample by sample: f(t) for t in [0, seconds), starting at `at`.
void Add(Samples& out, double at, double seconds, const std::function<double(double)>& f) {
  int start = Frames(at);
  int count = Frames(seconds);
  if (static_cast<int>(out.size()) < start + count)
    out.resize(start + count, 0.0);
  for (int i = 0; i < count; ++i)
    out[start + i] += f(static_cast<double>(i) / kRate);
}

// A tone whose frequency glides exponentially from f0 to f1 over its length.
void AddGlide(Samples& out, double at, double seconds, double f0, double f1,
              const std::function<double(double)>& wave,
              const std::function<double(double)>& envelope) {
  double phase = 0;
  Add(out, at, seconds, [&](double t) {
    double f = f0 * std::pow(f1 / f0, t / seconds);
    phase += f / kRate;
    return wave(phase) * envelope(t);
  });
}

void Normalise(Samples& s) {
  double peak = 0;
  for (double v : s)
    peak = std::max(peak, std::fabs(v));
  if (peak > 0)
    for (double& v : s)
      v *= kPeak / peak;
}

// Short linear fades at both ends keep the starts and ends free of clicks.
void Edges(Samples& s, double fadeIn = 0.002, double fadeOut = 0.01) {
  int in = std::min<int>(Frames(fadeIn), static_cast<int>(s.size()));
  int out = std::min<int>(Frames(fadeOut), static_cast<int>(s.size()));
  for (int i = 0; i < in; ++i)
    s[i] *= static_cast<double>(i) / in;
  for (int i = 0; i < out; ++i)
    s[s.size() - 1 - i] *= static_cast<double>(i) / out;
}

bool Write(const std::filesystem::path& path, const Samples& s) {
  SF_INFO info{};
  info.samplerate = kRate;
  info.channels = 1;
  info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
  SNDFILE* file = sf_open(path.string().c_str(), SFM_WRITE, &info);
  if (!file) {
    std::fprintf(stderr, "gen_sounds: cannot write %s: %s\n", path.string().c_str(),
                 sf_strerror(nullptr));
    return false;
  }
  double quality = 0.15; // libsndfile's 0..1 scale: low, as synthesised tones lose little
  sf_command(file, SFC_SET_VBR_ENCODING_QUALITY, &quality, sizeof quality);
  std::vector<float> pcm(s.begin(), s.end());
  sf_writef_float(file, pcm.data(), static_cast<sf_count_t>(pcm.size()));
  sf_close(file);

  double peak = 0, sum = 0;
  for (double v : s) {
    peak = std::max(peak, std::fabs(v));
    sum += v * v;
  }
  double rms = std::sqrt(sum / std::max<size_t>(1, s.size()));
  std::printf("%-22s %6.2f s  peak %6.1f dBFS  RMS %6.1f dBFS  %7ju bytes\n",
              path.filename().string().c_str(), static_cast<double>(s.size()) / kRate,
              20 * std::log10(peak), 20 * std::log10(rms),
              static_cast<uintmax_t>(std::filesystem::file_size(path)));
  return true;
}

// ---- the effects ----

// A sonar ping: a bright sine with a long ring and one softer echo.
Samples Ping() {
  Samples s;
  for (auto [at, gain, cutoff] : {std::tuple{0.0, 1.0, 9000.0}, std::tuple{0.3, 0.35, 2500.0}}) {
    LowPass lp;
    Add(s, at, 0.9 - at, [&, gain = gain, cutoff = cutoff](double t) {
      double tone = Sine(1480 * t) + 0.2 * Sine(2960 * t) + 0.08 * Sine(4440 * t);
      return gain * lp(tone * AttackDecay(t, 0.003, 0.16), cutoff);
    });
  }
  Edges(s);
  Normalise(s);
  return s;
}

// The probe is caught: a crushed square sweeping down and a low boom under it.
Samples PlayerDeath() {
  Samples s;
  Noise noise;
  AddGlide(
      s, 0, 1.3, 520, 55, [](double p) { return Square(p, 0.35); },
      [&](double t) { return AttackDecay(t, 0.005, 0.45) * (0.7 + 0.3 * noise()); });
  AddGlide(s, 0, 1.0, 90, 35, Sine, [](double t) { return 0.9 * AttackDecay(t, 0.01, 0.3); });
  LowPass lp;
  for (double& v : s)
    v = lp(v, 3500);
  Edges(s, 0.002, 0.05);
  Normalise(s);
  return s;
}

// The player's step: a short rising triangle blip behind a tiny click.
Samples PlayerMove() {
  Samples s;
  Noise noise;
  AddGlide(s, 0, 0.14, 520, 780, Triangle, [](double t) { return AttackDecay(t, 0.002, 0.04); });
  Add(s, 0, 0.006, [&](double t) { return 0.4 * noise() * (1 - t / 0.006); });
  Edges(s);
  Normalise(s);
  return s;
}

// Two tones rising into each other with an electric buzz: a connection is made.
Samples Link() {
  Samples s;
  Noise noise;
  for (auto [at, f] : {std::pair{0.0, 880.0}, std::pair{0.09, 1320.0}}) {
    Add(s, at, 0.3, [&, f = f](double t) {
      double buzz = 1.0 + 0.35 * Sine(60 * t) * noise();
      return (0.6 * Square(f * t, 0.3) + 0.4 * Sine(2 * f * t)) * AttackDecay(t, 0.004, 0.08) *
             buzz;
    });
  }
  Add(s, 0.18, 0.22, [](double t) { return 0.25 * Sine(2640 * t) * AttackDecay(t, 0.01, 0.06); });
  LowPass lp;
  for (double& v : s)
    v = lp(v, 6000);
  Edges(s);
  Normalise(s);
  return s;
}

// The reverse of a link: a high tone falling away into crackle.
Samples Unlink() {
  Samples s;
  Noise noise;
  for (auto [at, f] : {std::pair{0.0, 1320.0}, std::pair{0.1, 660.0}}) {
    Add(s, at, 0.28, [&, f = f](double t) {
      return (0.6 * Square(f * t, 0.3) + 0.4 * Sine(f * t)) * AttackDecay(t, 0.004, 0.08);
    });
  }
  Add(s, 0.1, 0.3, [&](double t) {
    double burst = Square(37 * t, 0.2) > 0 ? 1.0 : 0.0;
    return 0.35 * noise() * burst * AttackDecay(t, 0.005, 0.1);
  });
  LowPass lp;
  for (double& v : s)
    v = lp(v, 5000);
  Edges(s);
  Normalise(s);
  return s;
}

// A patrol's heavy step: a low thump, dull noise and a short metallic clank.
Samples EnemyMove() {
  Samples s;
  Noise noise;
  AddGlide(s, 0, 0.25, 95, 48, Sine, [](double t) { return AttackDecay(t, 0.003, 0.08); });
  LowPass lpNoise;
  Add(s, 0, 0.12,
      [&](double t) { return 0.5 * lpNoise(noise(), 900) * AttackDecay(t, 0.001, 0.03); });
  Add(s, 0.01, 0.1, [](double t) {
    return 0.2 * (Square(220 * t) + Square(331 * t)) * AttackDecay(t, 0.001, 0.025);
  });
  Edges(s);
  Normalise(s);
  return s;
}

// A machine starting: a rising filtered sweep under chirping beeps, ending in a bright ding.
Samples TechBootingUp() {
  Samples s;
  LowPass lp;
  AddGlide(s, 0, 0.8, 150, 1200, Saw, [&](double t) { return 0.5 * Gate(t, 0.8, 0.05, 0.1); });
  for (double& v : s)
    v = lp(v, 2500);
  for (int i = 0; i < 12; ++i) {
    double f = Note(3 + (i * 5) % 12 + 12 * (i / 6));
    Add(s, 0.05 + i * 0.06, 0.05,
        [f](double t) { return 0.3 * Square(f * t, 0.25) * Gate(t, 0.05, 0.002, 0.02); });
  }
  for (int n : {15, 19, 22, 27})
    Add(s, 0.8, 0.45,
        [n](double t) { return 0.22 * Sine(Note(n) * t) * AttackDecay(t, 0.004, 0.15); });
  Edges(s);
  Normalise(s);
  return s;
}

// A HUD bubble: a sine whose pitch jumps up quickly, swelling and gone.
Samples HudBloop() {
  Samples s;
  AddGlide(s, 0, 0.18, 260, 620, Sine,
           [](double t) { return std::pow(std::sin(kPi * t / 0.18), 1.5); });
  Edges(s);
  Normalise(s);
  return s;
}

// The level is won: a quick major arpeggio and a held chord with vibrato.
Samples LevelVictory() {
  Samples s;
  const int notes[] = {3, 7, 10, 15}; // C5 E5 G5 C6
  for (int i = 0; i < 4; ++i) {
    double f = Note(notes[i]);
    Add(s, i * 0.12, 0.16, [f](double t) {
      return (0.5 * Square(f * t, 0.25) + 0.5 * Triangle(f * t)) * Gate(t, 0.16, 0.003, 0.04);
    });
  }
  for (int n : {3, 7, 10, 15}) {
    double f = Note(n);
    double phase = 0;
    Add(s, 0.48, 1.3, [f, phase](double t) mutable {
      phase += f * (1.0 + 0.006 * Sine(5.5 * t)) / kRate;
      return 0.3 * (0.6 * Triangle(phase) + 0.4 * Square(phase, 0.25)) * AttackDecay(t, 0.01, 0.5);
    });
  }
  LowPass lp;
  for (double& v : s)
    v = lp(v, 7000);
  Edges(s, 0.002, 0.1);
  Normalise(s);
  return s;
}

// A refusal: two low buzzing tones, the second lower ("uh-uh").
Samples CantPing() {
  Samples s;
  Add(s, 0, 0.15, [](double t) { return Square(196 * t, 0.4) * Gate(t, 0.15, 0.004, 0.02); });
  Add(s, 0.2, 0.22, [](double t) { return Square(147 * t, 0.4) * Gate(t, 0.22, 0.004, 0.05); });
  LowPass lp;
  for (double& v : s)
    v = lp(v, 1800);
  Edges(s);
  Normalise(s);
  return s;
}

// A gauge filling: a filtered saw rising a fifth, ticking twelve times a second. The bank's
// "Parameter 1" raises its pitch further while it plays.
Samples GaugeFill() {
  Samples s;
  LowPass lp;
  AddGlide(s, 0, 1.5, 330, 495, Saw, [](double t) {
    double tick = 0.75 + 0.25 * Square(12 * t, 0.5);
    return tick * Gate(t, 1.5, 0.02, 0.1) * (0.7 + 0.3 * t / 1.5);
  });
  for (double& v : s)
    v = lp(v, 2200);
  Edges(s);
  Normalise(s);
  return s;
}

// ---- the main theme ----

// 120 beats a minute in A minor, twenty bars of two seconds (40 s). Bar 1 is an intro played
// once; bars 2 to 20 loop, the music's "LoopPoint1" of 0.05 starting the loop at 2 s.
constexpr double kBar = 2.0;
constexpr double kBeat = kBar / 4;
constexpr int kBars = 20;

struct Chord {
  int root; // semitones from A4
  int third, fifth;
};

Chord ChordOfBar(int bar) {
  static const Chord progression[] = {{0, 3, 7}, {-4, 4, 7}, {3, 4, 7}, {-2, 4, 7}}; // Am F C G
  if (bar >= 18)
    return bar == 18 ? Chord{5, 3, 7} : Chord{7, 4, 7}; // Dm, then E twice
  return progression[(bar - 2 + 4) % 4];
}

void ThemeKick(Samples& s, double at) {
  AddGlide(s, at, 0.3, 140, 45, Sine, [](double t) { return 0.9 * AttackDecay(t, 0.002, 0.09); });
}

void ThemeHat(Samples& s, double at, Noise& noise, double gain) {
  double prev = 0;
  Add(s, at, 0.06, [&, prev](double t) mutable {
    double n = noise();
    double high = n - prev; // a crude high-pass
    prev = n;
    return gain * high * AttackDecay(t, 0.001, 0.015);
  });
}

void ThemeSnare(Samples& s, double at, Noise& noise) {
  LowPass lp;
  Add(s, at, 0.2, [&](double t) {
    return (0.5 * lp(noise(), 4000) + 0.3 * Sine(185 * t)) * AttackDecay(t, 0.002, 0.06);
  });
}

void ThemeBass(Samples& s, double at, int root) {
  double f = Note(root - 24);
  LowPass lp;
  for (int i = 0; i < 8; ++i) {
    double nf = i % 4 == 3 ? 2 * f : f;
    Add(s, at + i * kBeat / 2, kBeat / 2,
        [&, nf](double t) { return 0.5 * lp(Saw(nf * t), 500) * Gate(t, kBeat / 2, 0.005, 0.04); });
  }
}

void ThemePad(Samples& s, double at, const Chord& c, double length, double swell) {
  for (int n : {c.root - 12, c.root - 12 + c.third, c.root - 12 + c.fifth, c.root}) {
    double f = Note(n);
    LowPass lp;
    Add(s, at, length + 0.3, [&, f](double t) {
      double detuned = 0.5 * Saw(f * t) + 0.5 * Saw(f * 1.004 * t);
      double env = Gate(t, length + 0.3, swell, 0.4);
      return 0.09 * lp(detuned, 900 + 500 * Sine(0.25 * (at + t))) * env;
    });
  }
}

void ThemeArp(Samples& s, double at, const Chord& c, double gain) {
  const int pattern[] = {0, 1, 2, 3, 2, 1, 0, 2};
  int tones[] = {c.root, c.root + c.third, c.root + c.fifth, c.root + 12};
  for (int i = 0; i < 16; ++i) {
    double f = Note(tones[pattern[i % 8]] + 12);
    Add(s, at + i * kBeat / 4, 0.12,
        [f, gain](double t) { return gain * Square(f * t, 0.25) * AttackDecay(t, 0.002, 0.05); });
  }
}

// The lead answers the chords in bars 10 to 17: one phrase of eighth notes per bar.
void ThemeLead(Samples& s, double at, const Chord& c, int variant) {
  const int phrases[2][8] = {{12, -1, 10, 7, -1, 7, 3, 5}, {7, -1, 10, 12, 15, -1, 12, 10}};
  for (int i = 0; i < 8; ++i) {
    int step = phrases[variant][i];
    if (step < 0)
      continue;
    double f = Note(c.root + step);
    double phase = 0;
    Add(s, at + i * kBeat / 2, kBeat / 2, [f, phase](double t) mutable {
      phase += f * (1.0 + 0.004 * Sine(6 * t)) / kRate;
      return 0.16 * (0.7 * Triangle(phase) + 0.3 * Square(phase, 0.5)) *
             Gate(t, kBeat / 2, 0.01, 0.06);
    });
  }
}

Samples MainTheme() {
  Samples s(Frames(kBars * kBar + 1.0), 0.0);
  Noise noise;
  // Intro: the pad swells in under a rising sweep.
  ThemePad(s, 0, ChordOfBar(2), kBar, 1.5);
  AddGlide(s, 0, kBar, 200, 1600, Saw, [](double t) { return 0.08 * t / kBar; });
  for (int bar = 2; bar <= kBars; ++bar) {
    double at = (bar - 1) * kBar;
    Chord c = ChordOfBar(bar);
    ThemePad(s, at, c, kBar, 0.05);
    ThemeBass(s, at, c.root);
    for (int beat = 0; beat < 4; ++beat) {
      ThemeKick(s, at + beat * kBeat);
      ThemeHat(s, at + beat * kBeat + kBeat / 2, noise, 0.25);
      if (bar >= 6 && beat % 2 == 1)
        ThemeSnare(s, at + beat * kBeat, noise);
    }
    if (bar >= 6)
      ThemeArp(s, at, c, bar >= 10 ? 0.12 : 0.07);
    if (bar >= 10 && bar <= 17)
      ThemeLead(s, at, c, (bar / 2) % 2);
  }
  // What rings past the end carries over into the start of the loop.
  int end = Frames(kBars * kBar);
  int loop = Frames(kBar);
  for (int i = end; i < static_cast<int>(s.size()); ++i)
    s[loop + (i - end)] += s[i];
  s.resize(end);
  Normalise(s);
  return s;
}

} // namespace

int main(int argc, char** argv) {
  std::filesystem::path out = argc > 1
                                  ? std::filesystem::path(argv[1])
                                  : std::filesystem::path(VANTIX_DATA_DIR) / "Sounds" / "Tovel";
  std::filesystem::create_directories(out);
  struct Item {
    const char* file;
    Samples (*make)();
  };
  const Item items[] = {
      {"Main_Theme.ogg", MainTheme},
      {"Ping.ogg", Ping},
      {"Player_Death.ogg", PlayerDeath},
      {"Player_Move.ogg", PlayerMove},
      {"Link.ogg", Link},
      {"Unlink.ogg", Unlink},
      {"Enemy_Move.ogg", EnemyMove},
      {"tech_booting_up.ogg", TechBootingUp},
      {"hudbloop.ogg", HudBloop},
      {"levelvictory.ogg", LevelVictory},
      {"cantping.ogg", CantPing},
      {"Gauge_Fill.ogg", GaugeFill},
  };
  bool ok = true;
  for (const Item& item : items)
    ok = Write(out / item.file, item.make()) && ok;
  return ok ? 0 : 1;
}
