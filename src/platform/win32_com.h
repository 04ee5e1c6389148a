#pragma once
// Windows only: the system's component objects (the imaging component, OLE
// pictures), for decoding pictures and for writing PNG files.
namespace kumodo {

// COM, once for the process.
void StartCom();

// An interface pointer released when it goes out of scope.
template <class Interface>
struct Released {
  Interface* pointer = nullptr;
  Released() = default;
  Released(const Released&) = delete;
  Released& operator=(const Released&) = delete;
  ~Released() {
    if (pointer) pointer->Release();
  }
};

}  // namespace kumodo
