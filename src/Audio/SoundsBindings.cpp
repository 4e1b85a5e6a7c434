// The audio system's part of the script API: namespace Sounds. Every function reaches the
// system through its singleton and does nothing when there is none.
#include <string>

#include "Audio/Sounds.h"
#include "Binding/Binding.h"

namespace {

Sounds* TheSounds() {
  return Sounds::Instance();
}

void PlaySound(const std::string& name) {
  if (Sounds* s = TheSounds())
    s->PlaySound(name);
}
void SetVolume(const std::string& name, float volume, bool temporary) {
  if (Sounds* s = TheSounds())
    s->SetVolume(name, volume, temporary);
}
void SetVolumeCategory(const std::string& category, float volume) {
  if (Sounds* s = TheSounds())
    s->SetVolumeCategory(category, volume);
}
float GetMusicVolume() {
  Sounds* s = TheSounds();
  return s ? s->GetMusicVolume() : 0.0f;
}
float GetSFXVolume() {
  Sounds* s = TheSounds();
  return s ? s->GetSFXVolume() : 0.0f;
}
void SetSFXVolume(float volume) {
  if (Sounds* s = TheSounds())
    s->SetSFXVolume(volume);
}
void SetMusicVolume(float volume) {
  if (Sounds* s = TheSounds())
    s->SetMusicVolume(volume);
}
bool SoundFocusToggle() {
  Sounds* s = TheSounds();
  return s ? s->SoundFocusToggle() : false;
}
void SiphonSoundCall() {
  if (Sounds* s = TheSounds())
    s->SiphonSoundCall();
}
void SiphonSoundEnd() {
  if (Sounds* s = TheSounds())
    s->SiphonSoundEnd();
}
bool GetSoundFocus() {
  Sounds* s = TheSounds();
  return s ? s->GetSoundFocus() : false;
}
void SetSoundFocus(bool focused) {
  if (Sounds* s = TheSounds())
    s->SetSoundFocus(focused);
}
void SetLoopPoint(float value) {
  if (Sounds* s = TheSounds())
    s->SetLoopPoint(value);
}
bool GetSoundToggle() {
  Sounds* s = TheSounds();
  return s ? s->GetSoundToggle() : false;
}
void SetSoundToggle(bool muted) {
  if (Sounds* s = TheSounds())
    s->SetSoundToggle(muted);
}

void BindSounds(lua_State* L) {
  lb::Global(L)
      .Namespace("Sounds")
      .Doc("The game's twelve named sounds: \"ping\", \"death\", \"playermove\", \"link\", "
           "\"enemymove\", \"unlink\", \"theme\", \"siphon\", \"hudclose\", \"hudbloop\", "
           "\"levelvictory\", \"cantping\"; every function does nothing without audio.")
      .Function("PlaySound", &PlaySound)
      .Doc("Starts the named sound (not \"theme\", which starts with the program, nor \"siphon\"); "
           "an unknown name does nothing.")
      .Function("SetVolume", &SetVolume)
      .Doc("(name, volume, temporary): sets a sound's volume (1 is its normal level); a "
           "temporary one lasts until the next frame re-applies the kept volume.")
      .Function("SetVolumeCategory", &SetVolumeCategory)
      .Doc("(\"SFX\" or \"MUSIC\", level): scales that category's kept volumes by level until "
           "the next frame.")
      .Function("GetMusicVolume", &GetMusicVolume)
      .Doc("The music volume multiplier (1 at start).")
      .Function("GetSFXVolume", &GetSFXVolume)
      .Doc("The sound-effect volume multiplier (1 at start).")
      .Function("SetSFXVolume", &SetSFXVolume)
      .Doc("Sets the multiplier of every sound effect's volume, from the next frame.")
      .Function("SetMusicVolume", &SetMusicVolume)
      .Doc("Sets the multiplier of the music's volume, from the next frame.")
      .Function("SoundFocusToggle", &SoundFocusToggle)
      .Doc("Flips the focus flag (off pauses every sound) and returns the new value.")
      .Function("SiphonSoundCall", &SiphonSoundCall)
      .Doc("Starts the siphon gauge sound unless it is playing; it stops by itself after about "
           "a second.")
      .Function("SiphonSoundEnd", &SiphonSoundEnd)
      .Doc("Stops the siphon gauge sound with its fade-out.")
      .Function("GetSoundFocus", &GetSoundFocus)
      .Doc("The focus flag: true (the start) while sounds play, false while they are paused.")
      .Function("SetSoundFocus", &SetSoundFocus)
      .Doc("Sets the focus flag: false pauses every sound, true resumes them.")
      .Function("SetLoopPoint", &SetLoopPoint)
      .Doc("Sets the music's loop point parameter (0.05 at start).")
      .Function("GetSoundToggle", &GetSoundToggle)
      .Doc("True while all sound is muted.")
      .Function("SetSoundToggle", &SetSoundToggle)
      .Doc("true mutes all sound (the kept volumes return on unmute), false unmutes.")
      .End();
}

} // namespace

lb::ApiSection soundsSection(27, &BindSounds);
