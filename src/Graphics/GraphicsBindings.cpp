// The graphics part of the script API: the Graphics namespace and the Sprite and Font classes.
#include "Binding/Binding.h"
#include "Graphics/Font.h"
#include "Graphics/Sprite.h"
#include "Systems/GraphicsEngine.h"

namespace {
// Every Graphics function acts on the default camera in use; without a graphics system (a
// headless run) they do nothing and read neutral values.
GraphicsEngine* Graphics() {
  return GraphicsEngine::ms_Singleton;
}

bool IsFullScreen() {
  return Graphics() && Graphics()->IsFullScreen();
}
bool ToggleFullScreen() {
  return Graphics() ? Graphics()->ToggleFullScreen() : false;
}
void CameraZoom(float factor) {
  if (Graphics())
    Graphics()->CameraZoom(factor);
}
void CameraMove(float x, float y) {
  if (Graphics())
    Graphics()->CameraMove(x, y);
}
float CameraZoomGet() {
  return Graphics() ? Graphics()->CameraZoomGet() : 1.0f;
}
float CameraPosGetX() {
  return Graphics() ? Graphics()->CameraPosGetX() : 0.0f;
}
float CameraPosGetY() {
  return Graphics() ? Graphics()->CameraPosGetY() : 0.0f;
}
void SetBackgroundColor(int r, int g, int b) {
  if (Graphics())
    Graphics()->SetBackgroundColor(r, g, b);
}

// Frames and lengths are counts: a negative number from a script means none, not a huge count.
unsigned Count(int value) {
  return value < 0 ? 0u : static_cast<unsigned>(value);
}

// The binder takes fields as members of the bound class; the appearance fields are stored in the
// shared base, so they are named here as members of T.
template <class T, class V> V T::*AsMemberOf(V Appearance::*field) {
  return field;
}

template <class T> int GetFrame(T* self) {
  return static_cast<int>(self->current_frame_);
}
template <class T> void SetFrame(T* self, int frame) {
  self->current_frame_ = Count(frame);
}
int GetLength(Font* self) {
  return static_cast<int>(self->GetLength());
}
void SetLength(Font* self, int n) {
  self->SetLength(Count(n));
}

void BindGraphics(lua_State* L) {
  lb::Global(L)
      .Namespace("Graphics")
      .Function("IsFullScreen", &IsFullScreen)
      .Function("ToggleFullScreen", &ToggleFullScreen)
      .Function("CameraZoom", &CameraZoom)
      .Function("CameraMove", &CameraMove)
      .Function("CameraZoomGet", &CameraZoomGet)
      .Function("CameraPosGetX", &CameraPosGetX)
      .Function("CameraPosGetY", &CameraPosGetY)
      .Function("SetBackgroundColor", &SetBackgroundColor)
      .End();
}

void BindSprite(lua_State* L) {
  lb::Global(L)
      .Class<Sprite>("Sprite")
      .Plain()
      .Field("Visible", AsMemberOf<Sprite>(&Sprite::visible_))
      .Field("Flipx", AsMemberOf<Sprite>(&Sprite::flipx_))
      .Field("Flipy", AsMemberOf<Sprite>(&Sprite::flipy_))
      .Field("Animate", AsMemberOf<Sprite>(&Sprite::active_animation_))
      .Property("Current_Frame", &GetFrame<Sprite>, &SetFrame<Sprite>)
      .Method("SwapTexture", &Sprite::SwapTexture)
      .Property("Red", &Sprite::GetRed, &Sprite::SetRed)
      .Property("Green", &Sprite::GetGreen, &Sprite::SetGreen)
      .Property("Blue", &Sprite::GetBlue, &Sprite::SetBlue)
      .Property("Alpha", &Sprite::GetAlpha, &Sprite::SetAlpha)
      .Method("SetColor", &Sprite::SetColor)
      .Method("GetTexture", &Sprite::GetTexture)
      .Equality()
      .End();
}

void BindFont(lua_State* L) {
  lb::Global(L)
      .Class<Font>("Font")
      .Plain()
      .Field("Visible", AsMemberOf<Font>(&Font::visible_))
      .Field("Flipx", AsMemberOf<Font>(&Font::flipx_))
      .Field("Flipy", AsMemberOf<Font>(&Font::flipy_))
      .Field("Animate", AsMemberOf<Font>(&Font::active_animation_))
      .Property("Current_frame", &GetFrame<Font>, &SetFrame<Font>)
      .Method("SwapTexture", &Font::SwapTexture)
      .Property("Red", &Font::GetRed, &Font::SetRed)
      .Property("Green", &Font::GetGreen, &Font::SetGreen)
      .Property("Blue", &Font::GetBlue, &Font::SetBlue)
      .Property("Alpha", &Font::GetAlpha, &Font::SetAlpha)
      .Property("Length", &GetLength, &SetLength)
      .Property("Text", &Font::GetText, &Font::SetText)
      .Method("SetColor", &Font::SetColor)
      .Equality()
      .End();
}

// Sprite is the fifth of the component classes (section 15).
lb::ApiSection spriteSection(15, 5, &BindSprite);
lb::ApiSection graphicsSection(21, &BindGraphics);
lb::ApiSection fontSection(26, &BindFont);
} // namespace
