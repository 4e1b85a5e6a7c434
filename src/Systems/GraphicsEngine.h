#pragma once
#include <glm/glm.hpp>
#include <map>
#include <string>
#include <vector>

#include "Core/System.h"
#include "Graphics/Texture.h"
#include "Objects/Camera.h"
#include "Utilities/Singleton.h"

struct SDL_Window;
class Space;

// The rendering system: window, GL context, shader programs, texture table, default cameras.
class GraphicsEngine : public System, public Singleton<GraphicsEngine> {
public:
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
  std::vector<Camera> defaultCameras;
};
