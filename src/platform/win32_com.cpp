#include "platform/win32_com.h"

#include <windows.h>
#include <objbase.h>

namespace kumodo {

void StartCom() {
  static const bool started = [] {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    return true;
  }();
  (void)started;
}

}  // namespace kumodo
