#pragma once
#include "Utilities/Check.h"

// One instance per class T, reached through T::ms_Singleton. Constructing a second one, or
// destroying one that is not registered, is a fatal error.
template <class T> class Singleton {
public:
  static inline T* ms_Singleton = nullptr;

  // The derived part is not built yet when this runs, so the sanitizer's dynamic-type check
  // of the downcast below would always fire; the pointer itself is only stored.
  __attribute__((no_sanitize("vptr"))) Singleton() {
    if (ms_Singleton)
      FatalCheck("!ms_Singleton", "Utilities\\Singleton", 17);
    ms_Singleton = static_cast<T*>(this);
  }
  ~Singleton() {
    if (!ms_Singleton)
      FatalCheck("ms_Singleton", "Utilities\\Singleton", 24);
    ms_Singleton = nullptr;
  }
  Singleton(const Singleton&) = delete;
  Singleton& operator=(const Singleton&) = delete;

  static T* Instance() { return ms_Singleton; }
};
