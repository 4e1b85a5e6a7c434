#include "Systems/GraphicsEngine.h"

#include "Core/Space.h"

GraphicsEngine::GraphicsEngine(const std::string& windowTitle) : title(windowTitle) {}

GraphicsEngine::~GraphicsEngine() = default;

void GraphicsEngine::Initialize() { name = "GraphicsEngine"; }

void GraphicsEngine::Update(float, Space*) {}

void GraphicsEngine::Shutdown() {}

void GraphicsEngine::Draw() {}

void GraphicsEngine::SwapWindow() {}

TextureRecord* GraphicsEngine::FindTexture(const std::string& key) {
  auto it = textures.find(key);
  return it == textures.end() ? nullptr : &it->second;
}

void GraphicsEngine::Resize(int, int) {}
bool GraphicsEngine::ToggleFullScreen() { return fullScreen; }
void GraphicsEngine::SetBackgroundColor(int, int, int) {}
void GraphicsEngine::CameraZoom(float) {}
float GraphicsEngine::CameraZoomGet() const { return 1.0f; }
void GraphicsEngine::CameraMove(float, float) {}
float GraphicsEngine::CameraPosGetX() const { return 0.0f; }
float GraphicsEngine::CameraPosGetY() const { return 0.0f; }
