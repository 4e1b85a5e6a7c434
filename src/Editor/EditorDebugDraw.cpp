// "Debug Draw": each node's links and each collider's outline over the game view, seen through
// the default camera as the editor's view is.
#include <GL/glew.h>
#include <cmath>
#include <glm/glm.hpp>

#include "Core/Space.h"
#include "Editor/EditorActions.h"
#include "Editor/EditorPanels.h"
#include "Editor/LevelEditor.h"
#include "Graphics/GLCheck.h"
#include "Objects/GameObject.h"
#include "Objects/Transform.h"
#include "Physics/RigidBody.h"
#include "Systems/GraphicsEngine.h"

namespace EditorPanels {

namespace {
const char* const kModule = "Editor\\EditorDebugDraw.cpp";
constexpr int kCircleSegments = 32;

struct Colour {
  float r, g, b;
};
// Open links, closed links and collider outlines.
constexpr Colour kOpen{0.0f, 1.0f, 0.0f};
constexpr Colour kClosed{1.0f, 0.5f, 0.0f};
constexpr Colour kCollider{0.0f, 1.0f, 1.0f};

glm::vec2 WorldPosition(GameObject* object) {
  auto* transform = object ? object->Get<Transform>("Transform") : nullptr;
  if (!transform)
    return glm::vec2(0.0f);
  Vector2D at = transform->GetWorldTranslation(object);
  return glm::vec2(at.x_, at.y_);
}

class Lines {
public:
  explicit Lines(const glm::mat3& view) : view(view) {}
  void Segment(glm::vec2 a, glm::vec2 b, Colour c) {
    glColor3f(c.r, c.g, c.b);
    glBegin(GL_LINES);
    Vertex(a);
    Vertex(b);
    glEnd();
  }
  void Loop(const glm::vec2* points, int count, Colour c) {
    glColor3f(c.r, c.g, c.b);
    glBegin(GL_LINE_LOOP);
    for (int i = 0; i < count; ++i)
      Vertex(points[i]);
    glEnd();
  }

private:
  void Vertex(glm::vec2 p) {
    glm::vec3 v = view * glm::vec3(p, 1.0f);
    glVertex2f(v.x, v.y);
  }
  glm::mat3 view;
};

void DrawColliders(Lines& lines, GameObject* object) {
  glm::vec2 at = WorldPosition(object);
  if (auto* box = object->Get<BoxCollider>("BoxCollider")) {
    glm::vec2 c = at + glm::vec2(box->center.x_, box->center.y_);
    glm::vec2 h(box->width * 0.5f, box->height * 0.5f);
    glm::vec2 corners[4] = {c + glm::vec2(-h.x, -h.y), c + glm::vec2(h.x, -h.y),
                            c + glm::vec2(h.x, h.y), c + glm::vec2(-h.x, h.y)};
    lines.Loop(corners, 4, kCollider);
  }
  if (auto* circle = object->Get<CircleCollider>("CircleCollider")) {
    glm::vec2 c = at + glm::vec2(circle->pos_.x_, circle->pos_.y_);
    float r = static_cast<float>(circle->radius_);
    glm::vec2 points[kCircleSegments];
    for (int i = 0; i < kCircleSegments; ++i) {
      float a = 6.2831853f * static_cast<float>(i) / kCircleSegments;
      points[i] = c + r * glm::vec2(std::cos(a), std::sin(a));
    }
    lines.Loop(points, kCircleSegments, kCollider);
  }
}
} // namespace

void DrawDebugOverlay(LevelEditor& editor) {
  GraphicsEngine* graphics = GraphicsEngine::ms_Singleton;
  if (!graphics || !graphics->HasContext() ||
      graphics->cameraIndex >= graphics->defaultCameras.size())
    return;
  const Camera& camera = graphics->defaultCameras[graphics->cameraIndex];
  Lines lines(camera.GetViewProjection());
  glUseProgram(0);
  Space& space = *editor.current;
  for (const EditorActions::LinkView& link : EditorActions::NodeLinks(space)) {
    if (link.missing)
      continue;
    lines.Segment(WorldPosition(space.GetObjectById(link.from)),
                  WorldPosition(space.GetObjectById(link.to)), link.open ? kOpen : kClosed);
  }
  for (GameObject* object : space.objects)
    if (object && object->m_Active && !object->IsDead)
      DrawColliders(lines, object);
  CheckGLError(kModule, __LINE__);
}

} // namespace EditorPanels
