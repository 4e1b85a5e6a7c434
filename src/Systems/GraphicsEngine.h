#pragma once
#include <glm/glm.hpp>
#include <map>
#include <string>
#include <vector>

#include "Core/System.h"
#include "Graphics/ShaderProgram.h"
#include "Graphics/SpriteBatch.h"
#include "Graphics/Texture.h"
#include "Objects/Camera.h"
#include "Utilities/Singleton.h"

namespace ArtList {
class Decoding;
}

struct SDL_Window;
class Space;
class Sprite;
class Font;

// The rendering system: window, GL context, shader programs, texture table, default cameras.
// Each space's Update only collects what is to be drawn into ten z-order layers; Draw issues
// every draw call of the frame, layer by layer, across all spaces.
class GraphicsEngine : public System, public Singleton<GraphicsEngine> {
public:
  static constexpr int kLayers = 10;

  // One visible sprite or text of this frame: its placement copied at submission and the
  // view-projection of its space.
  struct DrawRecord {
    void* component; // Sprite* in the sprite layers, Font* in the text layers
    float x, y;
    float scaleX, scaleY;
    float rotation;
    int zOrder;
    int viewProjection;
  };

  struct Viewport {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Viewport&) const = default;
  };

  explicit GraphicsEngine(const std::string& windowTitle = "VANTIX");
  ~GraphicsEngine() override;

  void Initialize() override;
  void Update(float dt, Space* space) override;
  void Shutdown() override;

  // End-of-frame pass: draws the collected layers.
  void Draw();
  void SwapWindow();
  void SetClearPending() { clearPending = true; }
  bool HasWindow() const { return window != nullptr; }
  bool HasContext() const { return glContext != nullptr; }

  // Art-list lookup by exact name; null when absent. Never inserts.
  TextureRecord* FindTexture(const std::string& name);

  void Resize(int width, int height);
  bool ToggleFullScreen();
  bool IsFullScreen() const { return fullScreen; }
  void SetBackgroundColor(int r, int g, int b);
  void CameraZoom(float factor);
  float CameraZoomGet() const;
  void CameraMove(float x, float y);
  float CameraPosGetX() const;
  float CameraPosGetY() const;

  // The letter-boxed viewport for a window size: the largest centred rectangle of the
  // reference aspect ratio.
  static Viewport LetterBox(int width, int height, int referenceWidth, int referenceHeight);
  const Viewport& CurrentViewport() const { return viewport; }

  // Window pixels (as the mouse reports them) to world units of the view the named space was
  // last drawn with; false before that space has been drawn or when its view shows nothing.
  bool WindowToWorld(const std::string& spaceName, float px, float py, float& x, float& y) const;

  // Reads the frame being drawn (before the swap), top row first, RGBA.
  bool ReadFrame(std::vector<unsigned char>& rgba, int& width, int& height) const;

  std::map<std::string, TextureRecord> textures;
  std::vector<std::string> textureNames;
  unsigned char cameraIndex = 1;
  bool clearPending = true;
  SDL_Window* window = nullptr;
  int configuredWidth = 1280, configuredHeight = 720;
  int windowWidth = 0, windowHeight = 0;
  int referenceWidth = 1280, referenceHeight = 720;
  bool fullScreen = true;
  std::string title;
  void* glContext = nullptr;
  int swapInterval = 0;
  ShaderProgram spriteProgram;
  ShaderProgram arrowProgram;
  std::vector<Camera> defaultCameras;
  std::vector<DrawRecord> spriteLayers[kLayers];
  std::vector<DrawRecord> textLayers[kLayers];
  std::vector<glm::mat3> viewProjections;
  // The view-projection each space was last drawn with, by space name.
  std::map<std::string, glm::mat3> lastViews;
  std::vector<Camera*> cameraOutlines;
  int spaceCounter = 0;
  Camera* sceneCamera = nullptr;

  // Decoding threads for the art list; 0 means one per hardware thread.
  unsigned artThreads = 0;
  // Runs of sprites drawn in one call each; off, every sprite makes its own draw (the same
  // picture, for comparison).
  SpriteBatch spriteBatch;
  bool batchSprites = true;

private:
  void LoadArt(ArtList::Decoding& art);
  void DrawCameraOutlines();
  void ReadCaptureSettings();
  void RunCaptureHook();

  Viewport viewport;
  // Screenshot / timed exit, armed only from the environment (see ReadCaptureSettings).
  bool captureArmed = false;
  std::string capturePath;
  double captureAfterSeconds = 0.0;
  bool exitAfterCapture = false;
  unsigned long long captureStartTicks = 0;
  bool captureStarted = false;
};
