#pragma once
// The audio system. At start it loads the four banks under "Sounds/Tovel/" and prepares one
// event instance for each of the game's twelve named sounds; scripts then play them by name,
// change volumes, mute, pause on focus loss, move the music's loop point and run the siphon
// gauge sound. Every call into the audio layer whose result is reported prints
// "FMOD error! (%d) \n" when it fails; the others' results are ignored.
#include <cstdint>
#include <string>

#include "Audio/Studio.h"
#include "Core/System.h"
#include "Utilities/Singleton.h"

class Sounds : public System, public Singleton<Sounds> {
public:
  static constexpr int kSoundCount = 12;

  void Initialize() override;
  void Update(float dt, Space* space) override;
  void Shutdown() override;

  void PlaySound(const std::string& name);
  void SetVolume(const std::string& name, float volume, bool temporary);
  void SetVolumeCategory(const std::string& category, float level);
  void SetSFXVolume(float volume) { sfxVolume = volume; }
  float GetSFXVolume() const { return sfxVolume; }
  void SetMusicVolume(float volume) { musicVolume = volume; }
  float GetMusicVolume() const { return musicVolume; }
  void SetSoundToggle(bool muted) { soundToggle = muted; }
  bool GetSoundToggle() const { return soundToggle; }
  void SetSoundFocus(bool focused) { soundFocus = focused; }
  bool GetSoundFocus() const { return soundFocus; }
  // Inverts the focus flag and returns the new value.
  bool SoundFocusToggle();
  void SetLoopPoint(float value);
  // Starts the siphon gauge sound unless it is running.
  void SiphonSoundCall();
  // Stops it, with its fade-out, if it is running.
  void SiphonSoundEnd();

  // The instance behind a sound name (an empty handle for an unknown name), for diagnostics.
  audio::EventInstance InstanceOf(const std::string& name) const;
  float StoredVolume(const std::string& name) const;
  int32_t LastResult() const { return lastResult; }
  bool SiphonPlaying() const { return siphonPlaying; }
  audio::Studio* StudioSystem() const { return studio; }

private:
  // Stores a reported call's result and prints it when it is a failure.
  void Report(audio::Result result);
  void PrepareMusic();
  void PrepareEffect(int sound);
  // Sets a sound's instance volume: volume times its factor times its category's multiplier.
  void ApplyVolume(int sound, float volume, bool temporary);

  audio::Bank banks[4];
  float storedVolumes[kSoundCount] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
  float sfxVolume = 1;
  float musicVolume = 1;
  bool soundFocus = true;
  bool soundToggle = false;
  audio::EventDescription descriptions[kSoundCount];
  audio::ParameterInstance loopParameter;
  audio::ParameterInstance siphonParameter;
  float siphonParameterValue = 0;
  bool siphonPlaying = false;
  audio::EventInstance instances[kSoundCount];
  int32_t lastResult = 0;
  audio::Studio* studio = nullptr;
};
