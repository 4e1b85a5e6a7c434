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
// (px, py[, space]) window pixels -> x, y in the world units of that space's view as last drawn
// (its Camera object's, or the default camera's); nil before that space is first drawn.
int WindowToWorld(lua_State* L) {
  bool named = lua_type(L, 3) == LUA_TSTRING;
  if (!lua_isnumber(L, 1) || !lua_isnumber(L, 2) || (!named && !lua_isnoneornil(L, 3))) {
    lua_pushstring(L, "Graphics.WindowToWorld: takes (px, py), two numbers, and optionally the "
                      "name of a space");
    return -1;
  }
  float px = static_cast<float>(lua_tonumber(L, 1));
  float py = static_cast<float>(lua_tonumber(L, 2));
  std::string space = named ? lua_tostring(L, 3) : "Main";
  float x = 0.0f, y = 0.0f;
  if (!Graphics() || !Graphics()->WindowToWorld(space, px, py, x, y)) {
    lua_pushnil(L);
    return 1;
  }
  lua_pushnumber(L, x);
  lua_pushnumber(L, y);
  return 2;
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
      .Doc("The window and the default camera: the view of a level without a Camera object, and "
           "of every level while the editor is open.")
      .Function("IsFullScreen", &IsFullScreen)
      .Doc("True while the window is full-screen.")
      .Function("ToggleFullScreen", &ToggleFullScreen)
      .Doc("Switches between full-screen and the 1280 × 720 window; returns true when now "
           "full-screen.")
      .Function("CameraZoom", &CameraZoom)
      .Doc("Sets the default camera's extent to its base extent times the factor (absolute, not "
           "cumulative).")
      .Function("CameraMove", &CameraMove)
      .Doc("(x, y): puts the default camera's centre at that world position.")
      .Function("CameraZoomGet", &CameraZoomGet)
      .Doc("The default camera's zoom: its width over its base width.")
      .Function("CameraPosGetX", &CameraPosGetX)
      .Doc("The x of the default camera's centre.")
      .Function("CameraPosGetY", &CameraPosGetY)
      .Doc("The y of the default camera's centre.")
      .Function("SetBackgroundColor", &SetBackgroundColor)
      .Doc("(r, g, b), each 0..255 (only the low 8 bits are used): the colour behind everything.")
      .Function("WindowToWorld", &WindowToWorld)
      .Doc("(px, py[, space]): window pixels, as `Input.MouseX` and `Input.MouseY` give them, to "
           "the x and y in world units of the view that space (by name; \"Main\" when left out) "
           "was last drawn with (its Camera object's, or the default camera's); nil before that "
           "space is first drawn.")
      .Signature({"number", "number", "string"}, "number, number")
      .End();
}

void BindSprite(lua_State* L) {
  lb::Global(L)
      .Class<Sprite>("Sprite")
      .Doc("A picture drawn at its object's Transform (component \"Sprite\"); textures are the "
           "names of the art list, e.g. \"node.png\".")
      .Plain()
      .Field("Visible", AsMemberOf<Sprite>(&Sprite::visible_))
      .Doc("Whether it is drawn.")
      .Field("Flipx", AsMemberOf<Sprite>(&Sprite::flipx_))
      .Doc("Mirrors the picture left to right.")
      .Field("Flipy", AsMemberOf<Sprite>(&Sprite::flipy_))
      .Doc("Mirrors the picture top to bottom.")
      .Field("Animate", AsMemberOf<Sprite>(&Sprite::active_animation_))
      .Doc("Whether the frames advance by themselves.")
      .Property("Current_Frame", &GetFrame<Sprite>, &SetFrame<Sprite>)
      .Doc("The animation frame shown, from 0 (a negative number means 0).")
      .Method("SwapTexture", &Sprite::SwapTexture)
      .Doc("Shows the art-list texture of that name (\"node_end.png\"), restarting its animation; "
           "an unknown name changes nothing.")
      .Property("Red", &Sprite::GetRed, &Sprite::SetRed)
      .Doc("The tint's red, 0..255; writing keeps the other channels.")
      .Property("Green", &Sprite::GetGreen, &Sprite::SetGreen)
      .Doc("The tint's green, 0..255.")
      .Property("Blue", &Sprite::GetBlue, &Sprite::SetBlue)
      .Doc("The tint's blue, 0..255.")
      .Property("Alpha", &Sprite::GetAlpha, &Sprite::SetAlpha)
      .Doc("The opacity, 0 (invisible) to 255 (opaque).")
      .Method("SetColor", &Sprite::SetColor)
      .Doc("(r, g, b, a), each 0..255 (clamped): the whole tint at once.")
      .Method("GetTexture", &Sprite::GetTexture)
      .Doc("The texture's file path (\"Graphics\\Art\\node.png\").")
      .Equality()
      .End();
}

void BindFont(lua_State* L) {
  lb::Global(L)
      .Class<Font>("Font")
      .Doc("A line of text drawn with a bitmap font at its object's Transform (component "
           "\"Font\").")
      .Plain()
      .Field("Visible", AsMemberOf<Font>(&Font::visible_))
      .Doc("Whether it is drawn.")
      .Field("Flipx", AsMemberOf<Font>(&Font::flipx_))
      .Doc("Mirrors the picture left to right.")
      .Field("Flipy", AsMemberOf<Font>(&Font::flipy_))
      .Doc("Mirrors the picture top to bottom.")
      .Field("Animate", AsMemberOf<Font>(&Font::active_animation_))
      .Doc("The stored animation flag (text does not advance frames).")
      .Property("Current_frame", &GetFrame<Font>, &SetFrame<Font>)
      .Doc("The frame number of the font picture (negative means 0).")
      .Method("SwapTexture", &Font::SwapTexture)
      .Doc("Draws with the art-list font texture of that name; an unknown name changes nothing.")
      .Property("Red", &Font::GetRed, &Font::SetRed)
      .Doc("The tint's red, 0..255; writing keeps the other channels.")
      .Property("Green", &Font::GetGreen, &Font::SetGreen)
      .Doc("The tint's green, 0..255.")
      .Property("Blue", &Font::GetBlue, &Font::SetBlue)
      .Doc("The tint's blue, 0..255.")
      .Property("Alpha", &Font::GetAlpha, &Font::SetAlpha)
      .Doc("The opacity, 0 (invisible) to 255 (opaque).")
      .Property("Length", &GetLength, &SetLength)
      .Doc("How many characters of `Text` are laid out; writing n keeps n modulo the text's "
           "length, and writing `Text` resets it to the whole text.")
      .Property("Text", &Font::GetText, &Font::SetText)
      .Doc("The text shown.")
      .Method("SetColor", &Font::SetColor)
      .Doc("(r, g, b, a), each 0..255 (clamped): the whole tint at once.")
      .Equality()
      .End();
}

// Sprite is the fifth of the component classes (section 15).
lb::ApiSection spriteSection(15, 5, &BindSprite);
lb::ApiSection graphicsSection(21, &BindGraphics);
lb::ApiSection fontSection(26, &BindFont);
} // namespace
