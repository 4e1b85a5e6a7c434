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

  // A number by which the handler finds the function faster than by its name (a script
  // component keeps the name as a ready-made Lua string); 0 for none. Asked once per connection.
  virtual int FunctionKey(const std::string& function) {
    (void)function;
    return 0;
  }
  // HandleEvent for a connection whose FunctionKey was `key`.
  virtual void HandleKeyedEvent(PolyEventBase& event, const std::string& function, int key) {
    (void)key;
    HandleEvent(event, function);
  }
};
