// The event dispatcher: script connections per space and event name, and their delivery.
#include "Objects/EventDispatcher.h"

#include <algorithm>

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

EventDispatcher::EventMap& EventDispatcher::SpaceEntry(Space* space) {
  auto [it, made] = connections.try_emplace(space);
  // Handlers without a space are filed under null and never delivered, so null is not walked.
  if (made && space)
    spaceOrder.push_back(space);
  return it->second;
}

const std::string* EventDispatcher::Intern(const std::string& function) {
  return &*functionNames.insert(function).first;
}

void EventDispatcher::Connect(EventHandler* handler, const std::string& function,
                              const std::string& eventName) {
  if (!handler)
    return;
  Connection record{Intern(function), handler, handler->FunctionKey(function)};
  SpaceEntry(HandlerSpace(handler))[eventName].push_back(record);
}

void EventDispatcher::Erase(std::vector<Connection>& records, size_t at) {
  if (deliveryDepth > 0) {
    // A walk over this vector may be running: keep the positions, sweep later.
    records[at].handler = nullptr;
    needsSweep = true;
  } else {
    records.erase(records.begin() + static_cast<std::ptrdiff_t>(at));
  }
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
    if (list[i].handler == handler && *list[i].function == function) {
      Erase(list, i);
      return;
    }
}

void EventDispatcher::RemoveHandler(EventHandler* handler) {
  if (!handler)
    return;
  if (shutdownDepth > 0)
    goneDuringShutdown.push_back(handler);
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
  // The vector may grow (reallocate) during the walk, so it is indexed, never iterated; records
  // appended meanwhile lie beyond `count` and wait for the next event.
  auto& list = events[eventName];
  const size_t count = list.size();
  ++deliveryDepth;
  for (size_t i = 0; i < count && i < list.size(); ++i) {
    // A copy: the handler may connect and so move the vector while it runs.
    const Connection record = list[i];
    if (record.handler)
      record.handler->HandleKeyedEvent(event, *record.function, record.key);
  }
  --deliveryDepth;
  if (deliveryDepth == 0 && needsSweep)
    Sweep();
}

void EventDispatcher::Send(PolyEventBase& event, const std::string& eventName) {
  // Entries made directly in `connections` are picked up here.
  size_t filed = connections.size() - connections.count(nullptr);
  size_t ordered = static_cast<size_t>(
      std::count_if(spaceOrder.begin(), spaceOrder.end(), [](Space* s) { return s != nullptr; }));
  if (filed != ordered) {
    spaceOrder.clear();
    for (auto& entry : connections)
      if (entry.first)
        spaceOrder.push_back(entry.first);
  }
  // Spaces whose first connection is made during this send wait for the next one. The walk
  // counts as a delivery, so nothing is compacted under it.
  const size_t count = spaceOrder.size();
  ++deliveryDepth;
  for (size_t i = 0; i < count && i < spaceOrder.size(); ++i) {
    Space* space = spaceOrder[i];
    if (!space)
      continue;
    auto it = connections.find(space);
    if (it != connections.end())
      Deliver(space, it->second, event, eventName);
  }
  --deliveryDepth;
  if (deliveryDepth == 0 && needsSweep)
    Sweep();
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
  EventMap& events = it->second; // node-based map: stays put while handlers run
  // Every record present now is told once, from copies taken before anyone is told, so a
  // "Shutdown" function may connect or disconnect freely. Handlers destroyed meanwhile are
  // not called.
  std::vector<Connection> records;
  for (auto& entry : events)
    records.insert(records.end(), entry.second.begin(), entry.second.end());
  ++shutdownDepth;
  ++deliveryDepth;
  for (const Connection& record : records) {
    if (!record.handler)
      continue;
    if (std::find(goneDuringShutdown.begin(), goneDuringShutdown.end(), record.handler) !=
        goneDuringShutdown.end())
      continue;
    if (HandlerSpace(record.handler) == space)
      record.handler->CallFunction("Shutdown");
  }
  --deliveryDepth;
  if (--shutdownDepth == 0)
    goneDuringShutdown.clear();
  if (deliveryDepth > 0) {
    // A walk further up the stack is using these vectors: blank the records instead.
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

void EventDispatcher::ForgetSpace(Space* space) {
  if (!space)
    return;
  auto it = connections.find(space);
  if (it == connections.end())
    return;
  std::replace(spaceOrder.begin(), spaceOrder.end(), space, static_cast<Space*>(nullptr));
  if (deliveryDepth > 0) {
    for (auto& [name, list] : it->second)
      for (Connection& c : list)
        c.handler = nullptr;
    forgotten.push_back(space);
    needsSweep = true;
    return;
  }
  connections.erase(it);
  std::erase(spaceOrder, nullptr);
}

void EventDispatcher::Sweep() {
  needsSweep = false;
  for (Space* space : forgotten)
    connections.erase(space);
  forgotten.clear();
  std::erase(spaceOrder, nullptr);
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
