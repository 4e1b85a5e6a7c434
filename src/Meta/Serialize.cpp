#include "Meta/Serialize.h"

void InstallTextHooks() {}
