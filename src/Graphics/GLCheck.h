#pragma once

// GL errors are programming errors: the code is printed on standard output and the program
// stops with an assertion naming the module that noticed it.
void CheckGLError(const char* module, int line);
