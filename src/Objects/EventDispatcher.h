#pragma once
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "Utilities/Singleton.h"

class EventHandler;
class PolyEventBase;
class Space;

// A small plain record, so a delivery copies it for nothing: the name lives once in the
// dispatcher for all connections that use it.
struct Connection {
  const std::string* function = nullptr;
  EventHandler* handler = nullptr; // null once disconnected during a delivery
  int key = 0;                     // the handler's FunctionKey for the name
};

// Keeps the script connections per space and event name and delivers events to them.
//
// Delivery walks only the records present when it began; records connected meanwhile wait for
// the next event. A record removed during a delivery is blanked rather than erased, so the
// walk neither skips nor repeats the others; blanks are swept once no delivery is running.
class EventDispatcher : public Singleton<EventDispatcher> {
public:
  using EventMap = std::unordered_map<std::string, std::vector<Connection>>;

  void Connect(EventHandler* handler, const std::string& function, const std::string& eventName);
  void Disconnect(EventHandler* handler, const std::string& function, const std::string& eventName);
  // Removes every connection of a handler that is going away.
  void RemoveHandler(EventHandler* handler);

  void Send(PolyEventBase& event, const std::string& eventName);
  void SendToSpace(PolyEventBase& event, Space* space, const std::string& eventName);

  // Tells every connected handler of the space "Shutdown" (once per record) and drops the
  // space's connections.
  void ShutdownSpace(Space* space);

  // Drops every connection of a space that is being deleted, without telling anyone.
  void ForgetSpace(Space* space);

  // Live records for an event in a space, for tests and tools.
  size_t ConnectionCount(Space* space, const std::string& eventName) const;

  std::unordered_map<Space*, EventMap> connections;

private:
  EventMap& SpaceEntry(Space* space);
  const std::string* Intern(const std::string& function);
  void Deliver(Space* space, EventMap& events, PolyEventBase& event, const std::string& eventName);
  void Erase(std::vector<Connection>& records, size_t at);
  void Sweep();

  // Spaces that have an entry in `connections`, in the order their entries were made, so a
  // send can walk them by index (handlers may add entries) without copying the map's keys.
  std::vector<Space*> spaceOrder;
  // Handlers that went away while ShutdownSpace was walking its copies of the records.
  std::vector<EventHandler*> goneDuringShutdown;
  // Spaces deleted during a delivery; their entries are erased once no walk is running.
  std::vector<Space*> forgotten;
  // Every function name ever connected; a node set, so the names never move.
  std::unordered_set<std::string> functionNames;
  int deliveryDepth = 0;
  int shutdownDepth = 0;
  bool needsSweep = false;
};
