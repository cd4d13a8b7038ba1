// A hook library that lacks "DisableMouseHook": the component must unload it without a word.
#include <windows.h>

#include <cstdint>

extern "C" {

int32_t EnableKeyboardHook(void*, void*, void*) {
  return 0;
}

int32_t DisableKeyboardHook(void) {
  return 0;
}

int32_t EnableMouseHook(void*, void*, void*) {
  return 0;
}

}  // extern "C"
