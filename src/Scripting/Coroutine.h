#pragma once
// A script function running on its own Lua thread, resumed by the script that holds it.
struct lua_State;

class Coroutine {
public:
  // Takes the function on top of L's stack (popping it) and makes a fresh thread for it.
  explicit Coroutine(lua_State* L);
  // Copies share the function and the thread, each with registry references of its own.
  Coroutine(const Coroutine& other);
  Coroutine& operator=(const Coroutine& other);
  ~Coroutine();

  bool IsLooping() const { return looping; }
  bool ToggleLooping() { return looping = !looping; }
  bool IsDead() const { return dead; }

  // Resumes with the values above `firstArg` on L's stack (they are consumed). Pushes what the
  // thread yielded and returns their count; 0 when it finished, failed or is dead. A failure
  // prints a traceback and marks the coroutine dead.
  int Resume(lua_State* L, int firstArg);

  int functionRef = -2; // LUA_NOREF
  int threadRef = -2;
  bool looping = true;
  bool dead = false;

private:
  void Unref();
  void CopyRefs(const Coroutine& other);
  lua_State* home = nullptr; // the state whose registry holds the references
};
