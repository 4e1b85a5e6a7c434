// The graphics system: window and GL context, the layered draw pass, cameras and screenshots.
#include "Systems/GraphicsEngine.h"

#include <GL/glew.h>
#include <SDL.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <stb_image_write.h>

#include "Core/Engine.h"
#include "Core/Space.h"
#include "Editor/LevelEditor.h"
#include "Graphics/ArtList.h"
#include "Graphics/Font.h"
#include "Graphics/GLCheck.h"
#include "Graphics/GLContext.h"
#include "Graphics/Sprite.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Utilities/Check.h"

namespace {
const char* kModule = "Systems\\GraphicsEngine.cpp";

// An art decoding still under way at start-up is joined before exiting: its workers would
// otherwise still be writing into memory that the exit is freeing.
[[noreturn]] void FatalSdl(const char* message, std::optional<ArtList::Decoding>* art = nullptr) {
  std::printf("%s %s", message, SDL_GetError());
  std::fflush(stdout);
  if (art)
    art->reset();
  SDL_Quit();
  std::exit(1);
}

bool EditorOpen() {
  return LevelEditor::ms_Singleton && LevelEditor::ms_Singleton->open;
}

// The four components the renderer reads, found in one walk over the object's few components
// instead of four lookups by name.
struct Drawn {
  Transform* transform = nullptr;
  Sprite* sprite = nullptr;
  Font* font = nullptr;
  Camera* camera = nullptr;
};
Drawn DrawnComponents(const GameObject& object) {
  Drawn found;
  for (const auto& [type, component] : object.components) {
    switch (type.size()) {
    case 9:
      if (type == "Transform")
        found.transform = static_cast<Transform*>(component);
      break;
    case 6:
      if (type == "Sprite")
        found.sprite = static_cast<Sprite*>(component);
      else if (type == "Camera")
        found.camera = static_cast<Camera*>(component);
      break;
    case 4:
      if (type == "Font")
        found.font = static_cast<Font*>(component);
      break;
    default:
      break;
    }
  }
  return found;
}
} // namespace

GraphicsEngine::GraphicsEngine(const std::string& windowTitle) : title(windowTitle) {}

GraphicsEngine::~GraphicsEngine() = default;

void GraphicsEngine::Initialize() {
  name = "GraphicsEngine";
  // The images decode while the window and the context are made; only their upload needs GL.
  std::optional<ArtList::Decoding> art;
  art.emplace(ArtList::kListPath, artThreads);
  if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK |
               SDL_INIT_HAPTIC | SDL_INIT_GAMECONTROLLER | SDL_INIT_EVENTS) < 0)
    FatalSdl("SDL could not intialize! SDL_error:", &art);

  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);

  window = SDL_CreateWindow(title.c_str(), 50, 50, configuredWidth, configuredHeight,
                            SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE |
                                SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_ALLOW_HIGHDPI);
  if (!window)
    FatalSdl("Window could not be created! SDL_Error:", &art);
  SDL_GetWindowSize(window, &windowWidth, &windowHeight);

  glContext = SDL_GL_CreateContext(window);
  SDL_GL_MakeCurrent(window, glContext);
  SDL_GL_SetSwapInterval(swapInterval);

  glewExperimental = GL_TRUE;
  GLenum glewStatus = glContext ? glewInit() : GLEW_OK;
  // GLEW loads the GL functions first and the GLX extensions after; on Mesa under X the GLX
  // step now and then finds no current display although the context is current. The GL
  // functions are what the engine needs, so that case is not fatal.
  if (glewStatus == GLEW_ERROR_NO_GLX_DISPLAY && glGetString(GL_VERSION) && glCreateShader)
    glewStatus = GLEW_OK;
  if (!glContext || glewStatus != GLEW_OK) {
    std::fprintf(stderr, "Failed to initialize GLEW");
    std::fflush(stderr);
    art.reset();
    std::exit(-1);
  }
  // GLEW may leave an error behind on some drivers while probing extensions.
  glGetError();
  GLContext::Began();

  Resize(windowWidth, windowHeight);
  SDL_ShowCursor(0);
  if (LevelEditor::ms_Singleton)
    LevelEditor::ms_Singleton->StartInterface(window, glContext);

  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  spriteProgram.Build("Graphics\\Shaders\\VSSprite.glsl", "Graphics\\Shaders\\FSSprite.glsl");
  arrowProgram.Build("Graphics\\Shaders\\VSArrow.glsl", "Graphics\\Shaders\\FSArrow.glsl");
  spriteBatch.Start("Graphics\\Shaders\\VSSpriteBatch.glsl",
                    "Graphics\\Shaders\\FSSpriteBatch.glsl");
  glClear(GL_COLOR_BUFFER_BIT);
  SDL_GL_SwapWindow(window);

  LoadArt(*art);
  spriteBatch.AddPages(textures);

  defaultCameras.clear();
  defaultCameras.emplace_back(
      glm::vec3(0, 0, 1), glm::vec3(0, 1, 0),
      10.0f * (static_cast<float>(configuredWidth) / static_cast<float>(configuredHeight)), 10.0f);
  defaultCameras.emplace_back(
      glm::vec3(0, 0, 1), glm::vec3(0, 1, 0),
      10.0f * (static_cast<float>(windowWidth) / static_cast<float>(windowHeight)), 10.0f);

  glEnable(GL_BLEND);
  glBlendEquationSeparate(GL_FUNC_ADD, GL_FUNC_ADD);
  glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ZERO);
  CheckGLError(kModule, __LINE__);

  ReadCaptureSettings();
}

void GraphicsEngine::LoadArt(ArtList::Decoding& art) {
  art.Finish(textures, textureNames, [](TextureRecord& record) {
    glGenTextures(1, &record.glName);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, record.glName);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, record.width, record.height, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, record.pixels);
    glBindTexture(GL_TEXTURE_2D, 0);
  });
  CheckGLError(kModule, __LINE__);
}

namespace {
// A scene camera whose view encloses no area (a width or height of 0, not a number, or axes
// that are parallel or zero) shows nothing of its space. The level's designer is told once,
// and again should the camera break after it was mended.
void CheckCameraView(Camera& camera, const GameObject& owner, const Space& space) {
  bool sized = std::isfinite(camera.width_) && std::isfinite(camera.height_) &&
               camera.width_ != 0.0f && camera.height_ != 0.0f;
  float axes = glm::determinant(camera.GetCameraMatrix());
  bool turned = std::isfinite(axes) && axes != 0.0f;
  if (sized && turned) {
    camera.unusableReported = false;
    return;
  }
  if (camera.unusableReported)
    return;
  camera.unusableReported = true;
  std::string what = "right_ and up_ axes that enclose no area";
  if (!sized) {
    char size[64];
    std::snprintf(size, sizeof size, "a view of %g x %g world units",
                  static_cast<double>(camera.width_), static_cast<double>(camera.height_));
    what = size;
  }
  ReportCheck("camera view has an area", kModule, __LINE__,
              space.LevelName + ": the Camera of \"" + owner.m_Name + "\" has " + what +
                  ", so nothing in its space can be seen");
}
} // namespace

void GraphicsEngine::Update(float dt, Space* space) {
  if (!space || !space->m_Active || !glContext)
    return;
  sceneCamera = nullptr;
  if (clearPending) {
    glClear(GL_COLOR_BUFFER_BIT);
    clearPending = false;
  }
  bool editorOpen = EditorOpen();

  for (GameObject* object : space->objects) {
    if (!object || !object->m_Active)
      continue;
    auto [transform, sprite, font, camera] = DrawnComponents(*object);
    if (transform && transform->z_order >= 0 && transform->z_order < kLayers) {
      if (sprite || font) {
        // One walk up the parent chain for all three.
        auto [position, scale, rotation] = transform->GetWorldPlacement(object);
        int z = transform->z_order;
        if (sprite && sprite->visible_) {
          spriteLayers[z].push_back(DrawRecord{sprite, position.x_, position.y_, scale.x_, scale.y_,
                                               rotation, z, spaceCounter});
          if (sprite->active_animation_) {
            sprite->frameTimer += dt;
            if (sprite->frameTimer > sprite->animate_rate_)
              sprite->AdvanceFrame();
          }
        }
        if (font && font->visible_)
          textLayers[z].push_back(DrawRecord{font, position.x_, position.y_, scale.x_, scale.y_,
                                             rotation, z, spaceCounter});
      }
    }
    if (camera) {
      CheckCameraView(*camera, *object, *space);
      sceneCamera = camera;
      if (editorOpen)
        cameraOutlines.push_back(camera);
    }
  }

  const Camera& view = (!sceneCamera || editorOpen) ? defaultCameras[cameraIndex] : *sceneCamera;
  viewProjections.push_back(view.GetViewProjection());
  lastViews[space->name] = viewProjections.back();
  ++spaceCounter;
  CheckGLError(kModule, __LINE__);
}

void GraphicsEngine::Draw() {
  if (!glContext)
    return;
  // Without a sprite program (a shader failed and quit is on its way) nothing can be drawn.
  unsigned program = spriteProgram.program;
  if (program) {
    glUseProgram(program);
    bool batching = batchSprites && spriteBatch.Ready();
    if (batching) {
      size_t sprites = 0;
      for (const auto& layer : spriteLayers)
        sprites += layer.size();
      spriteBatch.BeginFrame(sprites);
    }
    for (int z = 0; z < kLayers; ++z) {
      for (auto it = spriteLayers[z].rbegin(); it != spriteLayers[z].rend(); ++it) {
        auto* sprite = static_cast<Sprite*>(it->component);
        sprite->BuildModel(it->x, it->y, it->scaleX, it->scaleY, it->rotation);
        const glm::mat3& view = viewProjections[static_cast<size_t>(it->viewProjection)];
        sprite->RefreshIfStale();
        if (batching && spriteBatch.Takes(*sprite)) {
          spriteBatch.Add(*sprite, view);
        } else {
          if (batching)
            spriteBatch.Flush(program);
          sprite->Draw(view, program);
        }
      }
      if (batching)
        spriteBatch.Flush(program);
      for (auto it = textLayers[z].rbegin(); it != textLayers[z].rend(); ++it) {
        auto* font = static_cast<Font*>(it->component);
        font->Draw(it->x, it->y, it->scaleX, it->scaleY, it->rotation,
                   viewProjections[static_cast<size_t>(it->viewProjection)], program);
      }
    }
    glUseProgram(0);
    // The sprite and text draws' own error checks, once for the frame.
    FlushGLErrorChecks();
  }
  for (int z = 0; z < kLayers; ++z) {
    spriteLayers[z].clear();
    textLayers[z].clear();
  }
  if (EditorOpen())
    DrawCameraOutlines();
  spaceCounter = 0;
  viewProjections.clear();
  cameraOutlines.clear();
}

void GraphicsEngine::DrawCameraOutlines() {
  const Camera& base = defaultCameras[cameraIndex];
  glm::mat3 view = base.GetViewProjection();
  float r = static_cast<float>(configuredHeight) / static_cast<float>(configuredWidth);
  for (Camera* camera : cameraOutlines) {
    glm::mat3 map = view * camera->GetCameraMatrix() * camera->GetInverseProjection();
    auto vertex = [&](float x, float y) {
      glm::vec3 p = map * glm::vec3(x, y, 1.0f);
      glVertex2f(p.x, p.y);
    };
    glColor3f(1.0f, 0.0f, 0.0f);
    glBegin(GL_LINE_LOOP);
    vertex(1, 1);
    vertex(1, -1);
    vertex(-1, -1);
    vertex(-1, 1);
    glEnd();
    glColor3f(1.0f, 1.0f, 1.0f);
    glBegin(GL_LINES);
    vertex(-0.1f, 0.0f);
    vertex(0.1f, 0.0f);
    vertex(0.0f, -0.1f * r);
    vertex(0.0f, 0.1f * r);
    glEnd();
    CheckGLError(kModule, __LINE__);
  }
}

void GraphicsEngine::SwapWindow() {
  if (!window)
    return;
  if (captureArmed)
    RunCaptureHook();
  SDL_GL_SwapWindow(window);
}

void GraphicsEngine::Shutdown() {
  if (glContext) {
    for (auto& [key, record] : textures)
      if (record.glName) {
        glDeleteTextures(1, &record.glName);
        record.glName = 0;
      }
    spriteProgram.Release();
    arrowProgram.Release();
    spriteBatch.Release();
  }
  ForgetSpriteUniforms();
  if (LevelEditor::ms_Singleton)
    LevelEditor::ms_Singleton->StopInterface();
  GLContext::Ended();
  if (glContext)
    SDL_GL_DeleteContext(glContext);
  glContext = nullptr;
  if (window)
    SDL_DestroyWindow(window);
  window = nullptr;
  SDL_Quit();
}

TextureRecord* GraphicsEngine::FindTexture(const std::string& key) {
  auto it = textures.find(key);
  return it == textures.end() ? nullptr : &it->second;
}

GraphicsEngine::Viewport GraphicsEngine::LetterBox(int width, int height, int refWidth,
                                                   int refHeight) {
  float aspect = static_cast<float>(refWidth) / static_cast<float>(refHeight);
  int vw = width;
  int vh = static_cast<int>(static_cast<float>(width) / aspect + 0.5f);
  if (height < vh) {
    vw = static_cast<int>(static_cast<float>(height) * aspect + 0.5f);
    vh = height;
  }
  return Viewport{width / 2 - vw / 2, height / 2 - vh / 2, vw, vh};
}

bool GraphicsEngine::WindowToWorld(const std::string& spaceName, float px, float py, float& x,
                                   float& y) const {
  auto found = lastViews.find(spaceName);
  if (found == lastViews.end() || !window)
    return false;
  int width = 0, height = 0;
  SDL_GetWindowSize(window, &width, &height);
  Viewport box = LetterBox(width, height, referenceWidth, referenceHeight);
  float det = glm::determinant(found->second);
  if (box.width <= 0 || box.height <= 0 || !std::isfinite(det) || det == 0.0f)
    return false;
  // The letter box is centred, so its top edge is as far from the window's top as its bottom
  // edge is from the window's bottom (the viewport's y counts from the bottom).
  float top = static_cast<float>(height - box.y - box.height);
  glm::vec3 ndc((px - static_cast<float>(box.x)) / static_cast<float>(box.width) * 2.0f - 1.0f,
                1.0f - (py - top) / static_cast<float>(box.height) * 2.0f, 1.0f);
  glm::vec3 world = glm::inverse(found->second) * ndc;
  x = world.x;
  y = world.y;
  return std::isfinite(x) && std::isfinite(y);
}

void GraphicsEngine::Resize(int width, int height) {
  if (window)
    SDL_SetWindowSize(window, width, height);
  viewport = LetterBox(width, height, referenceWidth, referenceHeight);
  if (glContext)
    glViewport(viewport.x, viewport.y, viewport.width, viewport.height);
}

bool GraphicsEngine::ToggleFullScreen() {
  if (fullScreen) {
    if (window && SDL_SetWindowFullscreen(window, 0) != 0)
      FatalSdl("failed to exit fullscreen mode: ");
    cameraIndex = 0;
    Resize(configuredWidth, configuredHeight);
  } else {
    if (window && SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0)
      FatalSdl("failed to launch into the fullscreen mode: ");
    cameraIndex = 1;
    Resize(windowWidth, windowHeight);
  }
  fullScreen = !fullScreen;
  return fullScreen;
}

void GraphicsEngine::SetBackgroundColor(int r, int g, int b) {
  if (glContext)
    glClearColor(static_cast<float>(r & 255) / 255.0f, static_cast<float>(g & 255) / 255.0f,
                 static_cast<float>(b & 255) / 255.0f, 1.0f);
}

void GraphicsEngine::CameraZoom(float factor) {
  if (cameraIndex < defaultCameras.size())
    defaultCameras[cameraIndex].Zoom(factor);
}

float GraphicsEngine::CameraZoomGet() const {
  return cameraIndex < defaultCameras.size() ? defaultCameras[cameraIndex].GetZoom() : 1.0f;
}

void GraphicsEngine::CameraMove(float x, float y) {
  if (cameraIndex < defaultCameras.size()) {
    defaultCameras[cameraIndex].center_.x = x;
    defaultCameras[cameraIndex].center_.y = y;
  }
}

float GraphicsEngine::CameraPosGetX() const {
  return cameraIndex < defaultCameras.size() ? defaultCameras[cameraIndex].center_.x : 0.0f;
}

float GraphicsEngine::CameraPosGetY() const {
  return cameraIndex < defaultCameras.size() ? defaultCameras[cameraIndex].center_.y : 0.0f;
}

bool GraphicsEngine::ReadFrame(std::vector<unsigned char>& rgba, int& width, int& height) const {
  if (!window || !glContext)
    return false;
  SDL_GL_GetDrawableSize(window, &width, &height);
  if (width <= 0 || height <= 0)
    return false;
  const size_t row = static_cast<size_t>(width) * 4;
  std::vector<unsigned char> bottomUp(row * static_cast<size_t>(height));
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
  rgba.resize(bottomUp.size());
  for (int y = 0; y < height; ++y)
    std::copy_n(bottomUp.data() + static_cast<size_t>(height - 1 - y) * row, row,
                rgba.data() + static_cast<size_t>(y) * row);
  // What is on screen is opaque, whatever the blend left in the alpha channel.
  for (size_t i = 3; i < rgba.size(); i += 4)
    rgba[i] = 255;
  return true;
}

// VANTIX_SCREENSHOT=<png path> saves the frame; VANTIX_EXIT_AFTER_SECONDS=<n> ends the game n
// seconds after its first frame (saving the screenshot then, when one is asked for). A
// screenshot without an exit time is taken after 3 seconds and the game goes on.
void GraphicsEngine::ReadCaptureSettings() {
  const char* path = std::getenv("VANTIX_SCREENSHOT");
  const char* seconds = std::getenv("VANTIX_EXIT_AFTER_SECONDS");
  capturePath = path ? path : "";
  exitAfterCapture = seconds && *seconds;
  captureAfterSeconds = exitAfterCapture ? std::atof(seconds) : 3.0;
  captureArmed = !capturePath.empty() || exitAfterCapture;
}

void GraphicsEngine::RunCaptureHook() {
  unsigned long long now = SDL_GetTicks64();
  if (!captureStarted) {
    captureStarted = true;
    captureStartTicks = now;
  }
  if (static_cast<double>(now - captureStartTicks) < captureAfterSeconds * 1000.0)
    return;
  captureArmed = false;
  if (!capturePath.empty()) {
    std::vector<unsigned char> rgba;
    int width = 0, height = 0;
    if (ReadFrame(rgba, width, height) &&
        stbi_write_png(capturePath.c_str(), width, height, 4, rgba.data(), width * 4))
      std::printf("Screenshot saved to %s\n", capturePath.c_str());
    else
      std::printf("Could not save the screenshot to %s\n", capturePath.c_str());
    std::fflush(stdout);
  }
  if (exitAfterCapture && Engine::ms_Singleton)
    Engine::ms_Singleton->quit = true;
}
