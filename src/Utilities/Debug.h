#pragma once
// Text dumps of Lua values and stacks on standard output. Exported under C names so they can be
// called from a debugger on a live Lua state.
struct lua_State;

extern "C" {
// One value in its debug form (a table in its table form); no newline.
void Lua_PrintIndex(lua_State* L, int index);
// The keys of a table, one per line, between braces; no newline after the closing brace.
void Lua_PrintTable(lua_State* L, int index);
// Every value of the stack, bottom to top, one per line.
void Lua_stackDump(lua_State* L);
// The Lua traceback of the state and a newline.
void Lua_stackTrace(lua_State* L);
// As many spaces as the current indent level.
void PrintIndent();
// Asks hybrid-graphics drivers for the discrete GPU.
extern int NvOptimusEnablement;
}

namespace debug {
// Current indent of the table form (2 per open table); tests read it to check it is restored.
int IndentLevel();

// Notes the engine prints without a newline leave standard output's line open. The scripts'
// print and the script error reports close it first, so the game's log lines (read line by
// line by players' tools and tests) always start lines of their own.
void LeaveLineOpen();
void CloseOpenLine();
} // namespace debug
