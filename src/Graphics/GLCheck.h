#pragma once

// GL errors are programming errors: the code is printed on standard output and the program
// stops with an assertion naming the module that noticed it.
void CheckGLError(const char* module, int line);

// Draw calls come by the thousand a frame, and asking GL for its error state after each one
// costs more than the draw on some drivers. A drawing module defers its check instead; the
// deferred check runs (naming that module) before any other check, before a different module
// defers one, and at FlushGLErrorChecks, which the renderer calls once a frame.
void DeferGLErrorCheck(const char* module, int line);
void FlushGLErrorChecks();
