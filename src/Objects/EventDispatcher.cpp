#include "Objects/EventDispatcher.h"

#include "Core/Engine.h"
#include "Core/Space.h"
#include "Objects/EventHandler.h"

EventHandler::~EventHandler() {
  if (EventDispatcher::ms_Singleton)
    EventDispatcher::ms_Singleton->RemoveHandler(this);
}

namespace {
Space* HandlerSpace(EventHandler* handler) {
  int index = handler->HandlerSpaceIndex();
  if (index < 0 || !Engine::ms_Singleton)
    return nullptr;
  return Engine::ms_Singleton->SpaceAt(index);
}
} // namespace

void EventDispatcher::Connect(EventHandler* handler, const std::string& function,
                              const std::string& eventName) {
  if (!handler)
    return;
  connections[HandlerSpace(handler)][eventName].push_back({function, handler});
}

bool EventDispatcher::Erase(std::vector<Connection>& records, size_t at) {
  if (deliveryDepth > 0) {
    records[at].handler = nullptr;
    needsSweep = true;
  } else {
    records.erase(records.begin() + static_cast<std::ptrdiff_t>(at));
  }
  return true;
}

void EventDispatcher::Disconnect(EventHandler* handler, const std::string& function,
                                 const std::string& eventName) {
  if (!handler)
    return;
  auto space = connections.find(HandlerSpace(handler));
  if (space == connections.end())
    return;
  auto records = space->second.find(eventName);
  if (records == space->second.end())
    return;
  auto& list = records->second;
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i].handler == handler && list[i].function == function) {
      Erase(list, i);
      return;
    }
}

void EventDispatcher::RemoveHandler(EventHandler* handler) {
  for (auto& [space, events] : connections)
    for (auto& [name, list] : events)
      for (size_t i = list.size(); i-- > 0;)
        if (list[i].handler == handler)
          Erase(list, i);
}

void EventDispatcher::Deliver(Space* space, EventMap& events, PolyEventBase& event,
                              const std::string& eventName) {
  if (!space || !space->m_Active)
    return;
  // The vector may grow (reallocate) during the walk, so it is indexed, never iterated.
  auto& list = events[eventName];
  size_t count = list.size();
  ++deliveryDepth;
  for (size_t i = 0; i < count && i < list.size(); ++i) {
    Connection record = list[i];
    if (record.handler)
      record.handler->HandleEvent(event, record.function);
  }
  --deliveryDepth;
  if (deliveryDepth == 0 && needsSweep)
    Sweep();
}

void EventDispatcher::Send(PolyEventBase& event, const std::string& eventName) {
  // Collect the spaces first: a handler may connect in a space that had no entry yet.
  std::vector<Space*> spaces;
  spaces.reserve(connections.size());
  for (auto& entry : connections)
    spaces.push_back(entry.first);
  for (Space* space : spaces) {
    auto it = connections.find(space);
    if (it != connections.end())
      Deliver(space, it->second, event, eventName);
  }
}

void EventDispatcher::SendToSpace(PolyEventBase& event, Space* space,
                                  const std::string& eventName) {
  auto it = connections.find(space);
  if (it != connections.end())
    Deliver(space, it->second, event, eventName);
}

void EventDispatcher::ShutdownSpace(Space* space) {
  if (!space)
    return;
  auto it = connections.find(space);
  if (it == connections.end())
    return;
  EventMap& events = it->second; // inner maps are node-based: stable while handlers run
  std::vector<std::string> names;
  for (auto& entry : events)
    names.push_back(entry.first);
  ++deliveryDepth;
  for (const std::string& name : names) {
    auto& list = events[name];
    // Only the records present now are told; blanked ones (handlers that went away during an
    // earlier "Shutdown") are skipped.
    size_t count = list.size();
    for (size_t i = 0; i < count && i < list.size(); ++i) {
      Connection record = list[i];
      if (record.handler && HandlerSpace(record.handler) == space)
        record.handler->CallFunction("Shutdown");
    }
  }
  --deliveryDepth;
  if (deliveryDepth > 0) {
    // A delivery further up the stack is walking these lists: blank instead of freeing them.
    for (auto& [name, list] : events)
      for (Connection& c : list)
        c.handler = nullptr;
    needsSweep = true;
  } else {
    events.clear();
    if (needsSweep)
      Sweep();
  }
}

void EventDispatcher::Sweep() {
  needsSweep = false;
  for (auto& [space, events] : connections)
    for (auto& [name, list] : events)
      std::erase_if(list, [](const Connection& c) { return c.handler == nullptr; });
}

size_t EventDispatcher::ConnectionCount(Space* space, const std::string& eventName) const {
  auto it = connections.find(space);
  if (it == connections.end())
    return 0;
  auto records = it->second.find(eventName);
  if (records == it->second.end())
    return 0;
  size_t n = 0;
  for (const Connection& c : records->second)
    n += c.handler != nullptr;
  return n;
}
