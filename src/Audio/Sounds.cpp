// The audio system: the sound table, start-up through the audio layer, the per-frame volume,
// mute, focus and siphon time-out rules, and the operations scripts call by sound name.
#include "Audio/Sounds.h"

#include <cstdio>

namespace {

enum class Category { SFX, Music };

struct SoundEntry {
  const char* name;
  const char* path;
  Category category;
  float factor;
  bool playable; // by PlaySound
};

// The twelve sounds scripts name. The theme starts at start-up and the siphon gauge through
// SiphonSoundCall, so PlaySound leaves both alone.
constexpr SoundEntry kSounds[Sounds::kSoundCount] = {
    {"ping", "event:/SFX/Ping", Category::SFX, 0.075f, true},
    {"death", "event:/SFX/Player_Death", Category::SFX, 0.08f, true},
    {"playermove", "event:/SFX/Player_Move", Category::SFX, 0.25f, true},
    {"link", "event:/SFX/Link", Category::SFX, 0.2f, true},
    {"enemymove", "event:/SFX/Enemy_Move", Category::SFX, 0.04f, true},
    {"unlink", "event:/SFX/Unlink", Category::SFX, 0.1f, true},
    {"theme", "event:/Music/Main_Theme", Category::Music, 2.0f, false},
    {"siphon", "event:/SFX/Gauge_Fill", Category::SFX, 0.15f, false},
    {"hudclose", "event:/SFX/tech_booting_up", Category::SFX, 0.1f, true},
    {"hudbloop", "event:/SFX/hudbloop", Category::SFX, 0.1f, true},
    {"levelvictory", "event:/SFX/levelvictory", Category::SFX, 0.1f, true},
    {"cantping", "event:/SFX/cantping", Category::SFX, 0.05f, true},
};

enum Sound {
  kPing,
  kDeath,
  kPlayerMove,
  kLink,
  kEnemyMove,
  kUnlink,
  kTheme,
  kSiphon,
  kHudClose,
  kHudBloop,
  kLevelVictory,
  kCantPing
};

constexpr const char* kBankFiles[] = {
    "Sounds/Tovel/Master Bank.bank",
    "Sounds/Tovel/Master Bank.strings.bank",
    "Sounds/Tovel/Music.bank",
    "Sounds/Tovel/Sound_Effects.bank",
};

// The orders in which the system walks its sounds.
constexpr Sound kEffectLoadOrder[] = {kPing,      kDeath,    kPlayerMove, kUnlink,       kLink,
                                      kEnemyMove, kHudClose, kHudBloop,   kLevelVictory, kCantPing};
constexpr Sound kUpdateOrder[] = {kEnemyMove, kPing,     kPlayerMove,   kLink,
                                  kUnlink,    kDeath,    kTheme,        kSiphon,
                                  kHudClose,  kHudBloop, kLevelVictory, kCantPing};
constexpr Sound kEffectOrder[] = {kEnemyMove, kPing,         kPlayerMove, kLink,
                                  kUnlink,    kDeath,        kSiphon,     kHudClose,
                                  kHudBloop,  kLevelVictory, kCantPing};
constexpr Sound kReleaseOrder[] = {kEnemyMove, kPing, kDeath, kPlayerMove, kLink, kUnlink, kTheme};

constexpr float kStartLoopPoint = 0.05f;
constexpr float kStartThemeVolume = 0.05f;
constexpr float kSiphonParameterEnd = 10.0f;
constexpr int kSiphonTimeoutMs = 999;

// The index of a sound name, or -1. Names are matched exactly, case and all.
int FindSound(const std::string& name) {
  for (int i = 0; i < Sounds::kSoundCount; ++i)
    if (name == kSounds[i].name)
      return i;
  return -1;
}

} // namespace

void Sounds::Report(audio::Result result) {
  lastResult = audio::Code(result);
  if (lastResult != 0)
    std::printf("FMOD error! (%d) \n", lastResult);
}

void Sounds::Initialize() {
  name.clear();
  Report(audio::Studio::Create(&studio, audio::kHeaderVersion));
  if (!studio)
    return;
  Report(studio->Initialize(512, 0, 0, nullptr));
  for (auto& description : descriptions)
    description = audio::EventDescription();
  for (auto& instance : instances)
    instance = audio::EventInstance();
  for (int i = 0; i < 4; ++i)
    Report(studio->LoadBankFile(kBankFiles[i], 0, &banks[i]));
  PrepareMusic();
  for (Sound sound : kEffectLoadOrder)
    PrepareEffect(sound);
  instances[kTheme].Start();
  loopParameter.SetValue(kStartLoopPoint);
  storedVolumes[kTheme] = kStartThemeVolume;
}

void Sounds::PrepareMusic() {
  Report(studio->GetEvent(kSounds[kTheme].path, &descriptions[kTheme]));
  descriptions[kTheme].LoadSampleData();
  descriptions[kTheme].CreateInstance(&instances[kTheme]);
  instances[kTheme].GetParameter("LoopPoint1", &loopParameter);
}

// Sample data is loaded up front so that playing never waits for loading.
void Sounds::PrepareEffect(int sound) {
  Report(studio->GetEvent(kSounds[sound].path, &descriptions[sound]));
  descriptions[sound].LoadSampleData();
  descriptions[sound].CreateInstance(&instances[sound]);
}

void Sounds::Update(float, Space*) {
  if (!studio)
    return;
  audio::EventInstance& siphon = instances[kSiphon];
  if (siphon.IsValid()) {
    int position = 0;
    Report(siphon.GetTimelinePosition(&position));
    if (position > kSiphonTimeoutMs && siphonPlaying) {
      siphonPlaying = false;
      siphon.Stop(audio::StopMode::AllowFadeout);
    }
  }
  for (Sound sound : kUpdateOrder) {
    if (!soundToggle)
      ApplyVolume(sound, storedVolumes[sound], false);
    else
      ApplyVolume(sound, 0, true); // silent, the stored volumes kept for the unmute
  }
  for (audio::EventInstance& instance : instances) {
    if (soundFocus) {
      bool paused = false;
      instance.GetPaused(&paused);
      if (paused)
        instance.SetPaused(false);
    } else {
      instance.SetPaused(true);
    }
  }
  studio->Update();
}

void Sounds::Shutdown() {
  if (!studio)
    return;
  for (Sound sound : kReleaseOrder)
    instances[sound].Release();
  studio->Release();
  studio = nullptr;
  for (auto& instance : instances)
    instance = audio::EventInstance();
  for (auto& description : descriptions)
    description = audio::EventDescription();
  loopParameter = siphonParameter = audio::ParameterInstance();
}

void Sounds::PlaySound(const std::string& soundName) {
  int sound = FindSound(soundName);
  if (sound >= 0 && kSounds[sound].playable)
    instances[sound].Start();
}

void Sounds::SetVolume(const std::string& soundName, float volume, bool temporary) {
  int sound = FindSound(soundName);
  if (sound >= 0)
    ApplyVolume(sound, volume, temporary);
}

void Sounds::ApplyVolume(int sound, float volume, bool temporary) {
  if (!temporary)
    storedVolumes[sound] = volume;
  float multiplier = kSounds[sound].category == Category::SFX ? sfxVolume : musicVolume;
  instances[sound].SetVolume(volume * kSounds[sound].factor * multiplier);
}

void Sounds::SetVolumeCategory(const std::string& category, float level) {
  if (category == "SFX") {
    for (Sound sound : kEffectOrder)
      ApplyVolume(sound, storedVolumes[sound] * level, true);
  } else if (category == "MUSIC") {
    ApplyVolume(kTheme, storedVolumes[kTheme] * level, true);
  }
}

bool Sounds::SoundFocusToggle() {
  soundFocus = !soundFocus;
  return soundFocus;
}

void Sounds::SetLoopPoint(float value) {
  loopParameter.SetValue(value);
}

void Sounds::SiphonSoundCall() {
  if (siphonPlaying || !studio)
    return;
  siphonPlaying = true;
  Report(studio->GetEvent(kSounds[kSiphon].path, &descriptions[kSiphon]));
  descriptions[kSiphon].LoadSampleData();
  // The previous run's instance is freed once its fade-out has finished.
  instances[kSiphon].Release();
  descriptions[kSiphon].CreateInstance(&instances[kSiphon]);
  instances[kSiphon].GetParameter("Parameter 1", &siphonParameter);
  siphonParameter.SetValue(siphonParameterValue);
  Report(instances[kSiphon].Start());
  instances[kSiphon].SetTimelinePosition(0);
  siphonParameter.SetValue(kSiphonParameterEnd);
}

void Sounds::SiphonSoundEnd() {
  if (!siphonPlaying)
    return;
  siphonPlaying = false;
  instances[kSiphon].Stop(audio::StopMode::AllowFadeout);
}

audio::EventInstance Sounds::InstanceOf(const std::string& soundName) const {
  int sound = FindSound(soundName);
  return sound >= 0 ? instances[sound] : audio::EventInstance();
}

float Sounds::StoredVolume(const std::string& soundName) const {
  int sound = FindSound(soundName);
  return sound >= 0 ? storedVolumes[sound] : 0.0f;
}
