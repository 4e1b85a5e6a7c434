#pragma once

// The program: builds the engine and its systems, loads the splash level, runs frames until
// quit and shuts down. Returns the process exit status.
int RunGame();
