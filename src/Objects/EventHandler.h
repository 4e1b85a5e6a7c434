#pragma once
#include <string>

class PolyEventBase;

// Something that can be connected to named events: in the game always a script component.
// The dispatcher only needs to know the handler's space and how to call it.
class EventHandler {
public:
  virtual ~EventHandler();
  // Index of the space the handler lives in; negative for none.
  virtual int HandlerSpaceIndex() const = 0;
  // Calls the handler's function of that name with the event as its argument.
  virtual void HandleEvent(PolyEventBase& event, const std::string& function) = 0;
  // Calls the handler's function of that name with no arguments ("Shutdown").
  virtual void CallFunction(const std::string& function) = 0;
};
