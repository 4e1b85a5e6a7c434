#pragma once
#include <cstdint>

#include "Binding/LuaPush.h"

class LuaComponent;

// Base of every event: a small value delivered by name to script handlers.
class PolyEventBase {
public:
  virtual ~PolyEventBase() = default;
  // Pushes the handler's script table and a copy of the event, and stores the copy in the
  // table's field "event"; both stay on the stack.
  virtual void PushToHandler(lua_State* L, LuaComponent* handler) = 0;
  // Pushes a copy of the event as a value of its own script class.
  virtual void PushCopy(lua_State* L) const = 0;
};

// Pushes the handler's instance table (nil when it has none); defined by the script layer.
void PushHandlerTable(lua_State* L, LuaComponent* handler);
// Stores the value on top of the stack as field "event" of the table at `table` (by default the
// one just below it), leaving the stack as it was; defined by the script layer.
void StoreEventInTable(lua_State* L, int table = -2);

template <class T> class EventBase : public PolyEventBase {
public:
  void PushToHandler(lua_State* L, LuaComponent* handler) override {
    PushHandlerTable(L, handler);
    lb::PushCopy<T>(L, static_cast<const T&>(*this));
    StoreEventInTable(L);
  }
  void PushCopy(lua_State* L) const override { lb::PushCopy<T>(L, static_cast<const T&>(*this)); }
};

// The per-frame event. timePassed is shared by the class: the total of every constructed
// update's dt.
class LogicUpdate : public EventBase<LogicUpdate> {
public:
  static inline double timePassed = 0.0;
  explicit LogicUpdate(float dt_ = 0.16666667f) : dt(dt_) { timePassed += dt_; }
  float dt;
};

class AllObjectsCreated : public EventBase<AllObjectsCreated> {
public:
  int Quarter = 0;
};

#define VANTIX_KEY_EVENT(Name, Field)                                                              \
  class Name : public EventBase<Name> {                                                            \
  public:                                                                                          \
    uint8_t Field = 0;                                                                             \
  };
VANTIX_KEY_EVENT(KeyIsDown, Key)
VANTIX_KEY_EVENT(KeyIsTriggered, Key)
VANTIX_KEY_EVENT(KeyIsReleased, Key)
VANTIX_KEY_EVENT(MouseIsDown, Button)
VANTIX_KEY_EVENT(MouseIsTriggered, Button)
VANTIX_KEY_EVENT(MouseIsReleased, Button)
VANTIX_KEY_EVENT(ControllerButtonDown, Button)
VANTIX_KEY_EVENT(ControllerButtonUp, Button)
#undef VANTIX_KEY_EVENT

class MouseMoved : public EventBase<MouseMoved> {
public:
  int32_t XPos = 0;
  int32_t YPos = 0;
};

class MouseWheel : public EventBase<MouseWheel> {
public:
  int32_t X = 0;
  int32_t Y = 0;
};

class ControllerAdded : public EventBase<ControllerAdded> {
public:
  bool Connected = false;
};

class ControllerRemoved : public EventBase<ControllerRemoved> {
public:
  bool Connected = false;
};

class ControllerAxis : public EventBase<ControllerAxis> {
public:
  uint8_t Axis = 0;
  int32_t Value = 0;
};

class WindowResized : public EventBase<WindowResized> {
public:
  int32_t XDim = 0;
  int32_t YDim = 0;
};

class WindowClose : public EventBase<WindowClose> {};
class FocusLost : public EventBase<FocusLost> {};
class FocusGained : public EventBase<FocusGained> {};

// Gameplay events: constructed and raised by scripts only.
class Ping : public EventBase<Ping> {
public:
  int32_t PingNodeID = 0;
};

class Siphon : public EventBase<Siphon> {
public:
  int32_t Credits = 0;
};

class EndPlayerTurn : public EventBase<EndPlayerTurn> {};
class PlayerFound : public EventBase<PlayerFound> {};
