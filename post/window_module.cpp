#include "post/window_module.h"

#include <dlfcn.h>

#include "platform/prompts.h"

namespace tlv {

std::string LoadWindowModule(const std::string& folder) {
  if (!WindowsWanted()) return {};
  const std::string path = folder + "/tlvp_windows.so";
  // Kept loaded to the end of the program: the toolkit lives in it.
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) {
    const char* why = dlerror();
    return path + ": " + (why ? why : "cannot be loaded");
  }
  using Register = void (*)();
  auto reg = reinterpret_cast<Register>(dlsym(module, "TlvRegisterWindowFrontEnd"));
  if (!reg) return path + ": no window front end in it";
  reg();
  return {};
}

}  // namespace tlv
