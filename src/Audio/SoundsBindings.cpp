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
      .Function("PlaySound", &PlaySound)
      .Function("SetVolume", &SetVolume)
      .Function("SetVolumeCategory", &SetVolumeCategory)
      .Function("GetMusicVolume", &GetMusicVolume)
      .Function("GetSFXVolume", &GetSFXVolume)
      .Function("SetSFXVolume", &SetSFXVolume)
      .Function("SetMusicVolume", &SetMusicVolume)
      .Function("SoundFocusToggle", &SoundFocusToggle)
      .Function("SiphonSoundCall", &SiphonSoundCall)
      .Function("SiphonSoundEnd", &SiphonSoundEnd)
      .Function("GetSoundFocus", &GetSoundFocus)
      .Function("SetSoundFocus", &SetSoundFocus)
      .Function("SetLoopPoint", &SetLoopPoint)
      .Function("GetSoundToggle", &GetSoundToggle)
      .Function("SetSoundToggle", &SetSoundToggle)
      .End();
}

} // namespace

lb::ApiSection soundsSection(27, &BindSounds);
