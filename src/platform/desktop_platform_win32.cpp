#include <windows.h>
#include <commdlg.h>
#include <windowsx.h>
#include <mmsystem.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "platform/button_latch.h"
#include "platform/desktop_platform.h"
#include "platform/win32_bitmap.h"
#include "platform/win32_text.h"

namespace kumodo {
namespace {

constexpr int kClientWidth = 800;
constexpr int kClientHeight = 600;
constexpr wchar_t kWindowClass[] = L"KumodoWindow";

class Win32Platform : public Platform {
 public:
  Win32Platform() = default;
  ~Win32Platform() override {
    if (window_) DestroyWindow(window_);
    if (icon_) DestroyIcon(icon_);
    timeEndPeriod(1);
  }

  bool Open(std::string_view sjisTitle) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &Win32Platform::WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&windowClass)) return false;
    // A fixed frame around a client area of exactly 800 x 600, without
    // sizing border, minimise or maximise box.
    constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
    window_ = CreateWindowExW(0, kWindowClass, SjisToWide(sjisTitle).c_str(), kStyle, 0, 0, frame.right - frame.left,
                              frame.bottom - frame.top, nullptr, nullptr, instance, this);
    if (!window_) return false;
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    Present(Bitmap(kClientWidth, kClientHeight));
    return true;
  }

  void SetWindowTitle(std::string_view sjisTitle) override {
    SetWindowTextW(window_, SjisToWide(sjisTitle).c_str());
  }

  void SetWindowIcon(const Bitmap& icon) override {
    if (icon.Empty()) return;
    BITMAPINFO info = TopDownInfo(icon.width, icon.height);
    void* bits = nullptr;
    HBITMAP colour = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!colour) return;
    std::vector<std::uint32_t> pixels;
    ToSystemPixels(icon, pixels);
    for (std::uint32_t& pixel : pixels) pixel |= 0xFF000000;  // opaque
    std::copy(pixels.begin(), pixels.end(), static_cast<std::uint32_t*>(bits));
    HBITMAP mask = CreateBitmap(icon.width, icon.height, 1, 1, nullptr);
    ICONINFO parts{TRUE, 0, 0, mask, colour};
    HICON made = CreateIconIndirect(&parts);
    DeleteObject(colour);
    DeleteObject(mask);
    if (!made) return;
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(made));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(made));
    if (icon_) DestroyIcon(icon_);
    icon_ = made;
  }

  void SetWindowOpacity(int alpha) override {
    SetWindowLongPtrW(window_, GWL_EXSTYLE, GetWindowLongPtrW(window_, GWL_EXSTYLE) | WS_EX_LAYERED);
    SetLayeredWindowAttributes(window_, 0, static_cast<BYTE>(std::clamp(alpha, 0, 255)), LWA_ALPHA);
  }

  void Present(const Bitmap& frame) override {
    ToSystemPixels(frame, framePixels_);
    frameWidth_ = frame.width;
    frameHeight_ = frame.height;
    HDC dc = GetDC(window_);
    Show(dc);
    ReleaseDC(window_, dc);
    Pump();
  }

  PointerPosition ReadPointer() override {
    Pump();
    // Until a poll has seen a press, the pointer is where the press happened:
    // a busy editor may get to it after the mouse has moved on.
    if (input_.left.PressUnseen()) return input_.left.PressedAt();
    POINT point{};
    GetCursorPos(&point);
    ScreenToClient(window_, &point);
    return {point.x, point.y};
  }

  bool IsButtonDown(MouseButton button) override { return input_.Button(button).Observe(); }
  bool PeekButton(MouseButton button) override { return input_.Button(button).Peek(); }
  PointerPosition ReleasedAt(MouseButton button) override { return input_.Button(button).ReleasedAt(); }
  bool IsKeyDown(int virtualKey) override { return input_.keys.Observe(virtualKey); }
  std::uint64_t InputMark() override { return input_.Mark(); }
  void ForgetKeysSince(std::uint64_t mark) override { input_.ForgetKeysSince(mark); }
  void InputActedOn() override { input_.ActedOn(); }

  void MoveCursorBy(int dx, int dy) override {
    POINT point{};
    GetCursorPos(&point);
    SetCursorPos(point.x + dx, point.y + dy);
  }

  // Sleeps until the time is up or input arrives; an editor idle for a
  // quarter second sleeps a few milliseconds at a time, still waking at once
  // on input.
  void Sleep(int milliseconds) override {
    const bool quiet = !input_.AnyDown() && NowMs() - lastInputAt_ > kQuietAfterMs;
    const DWORD wait = static_cast<DWORD>(std::max(milliseconds, quiet ? kQuietSleepMs : 0));
    MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    Pump();
  }

  std::uint64_t NowMs() override {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
  }

  MessageBoxAnswer ShowMessageBox(std::string_view sjisText, std::string_view sjisCaption,
                                  MessageBoxButtons buttons, MessageBoxIcon icon) override {
    const UINT picture = icon == MessageBoxIcon::Warning ? MB_ICONWARNING : icon == MessageBoxIcon::Error ? MB_ICONERROR : 0;
    const int answer = MessageBoxW(window_, SjisToWide(sjisText).c_str(), SjisToWide(sjisCaption).c_str(),
                                   (buttons == MessageBoxButtons::Ok ? MB_OK : MB_OKCANCEL) | picture);
    ForgetInputDuringPrompt();
    return answer == IDOK ? MessageBoxAnswer::Ok : MessageBoxAnswer::Cancel;
  }

  std::optional<std::string> ChooseFileToOpen(const std::vector<FileFilter>& filters) override {
    return ChooseFile(filters, false);
  }

  std::optional<std::string> ChooseFileToSave(const std::vector<FileFilter>& filters) override {
    return ChooseFile(filters, true);
  }

  bool PromptsAvailable() override { return true; }
  void Beep() override { MessageBeep(MB_OK); }

 private:
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32Platform*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self) {
      LRESULT result = 0;
      if (self->Handle(window, message, wParam, lParam, result)) return result;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  // True when the message was handled here.
  bool Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
      case WM_CLOSE:
        // Closing the window ends the program at once; nothing is saved.
        ExitProcess(0);
      case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        Show(dc);
        EndPaint(window, &paint);
        return true;
      }
      case WM_ERASEBKGND:
        result = 1;
        return true;
      case WM_MOUSEMOVE:
        lastInputAt_ = NowMs();
        return true;
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
        lastInputAt_ = NowMs();
        input_.PressButton(message == WM_LBUTTONDOWN ? MouseButton::Left : MouseButton::Right,
                          {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        // A release outside the window must still be seen.
        SetCapture(window);
        return true;
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
        lastInputAt_ = NowMs();
        input_.ReleaseButton(message == WM_LBUTTONUP ? MouseButton::Left : MouseButton::Right,
                             {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (!(wParam & (MK_LBUTTON | MK_RBUTTON))) ReleaseCapture();
        return true;
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
        lastInputAt_ = NowMs();
        // Bit 30: the key was already down, an automatic repeat.
        if (!(lParam & (1 << 30))) input_.PressKey(static_cast<int>(wParam & 0xFF));
        // F10 would otherwise open the (absent) menu and swallow the next keys.
        return message == WM_KEYDOWN || wParam == VK_F10;
      case WM_KEYUP:
      case WM_SYSKEYUP:
        lastInputAt_ = NowMs();
        input_.ReleaseKey(static_cast<int>(wParam & 0xFF));
        return message == WM_KEYUP || wParam == VK_F10;
      case WM_KILLFOCUS:
        // The releases of keys held now go to another window.
        input_.keys.ReleaseAll();
        return false;
      default:
        return false;
    }
  }

  void Show(HDC dc) {
    if (framePixels_.empty()) return;
    const BITMAPINFO info = TopDownInfo(frameWidth_, frameHeight_);
    SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(frameWidth_), static_cast<DWORD>(frameHeight_), 0, 0, 0,
                      static_cast<UINT>(frameHeight_), framePixels_.data(), &info, DIB_RGB_COLORS);
  }

  // Processes what has arrived; the latches first let go of releases whose
  // press a poll has seen.
  void Pump() {
    input_.BeginPump();
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) ExitProcess(0);
      DispatchMessageW(&message);
    }
    // Without the capture (another window took it) a release may never
    // arrive as a message: the buttons' real state decides.
    if (GetCapture() != window_) {
      if (input_.left.Peek() && !Held(VK_LBUTTON)) input_.left.Release();
      if (input_.right.Peek() && !Held(VK_RBUTTON)) input_.right.Release();
    }
  }

  std::optional<std::string> ChooseFile(const std::vector<FileFilter>& filters, bool save) {
    // Description and patterns, each ending in a zero, and one more zero.
    std::wstring filterText;
    for (const FileFilter& filter : filters) {
      filterText += SjisToWide(filter.description) + L'\0' + Utf8ToWide(filter.patterns) + L'\0';
    }
    filterText += L'\0';
    std::wstring file(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window_;
    dialog.lpstrFilter = filterText.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    // The program finds res/ and its settings in the folder it started in.
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | (save ? 0 : OFN_FILEMUSTEXIST);
    const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    ForgetInputDuringPrompt();
    if (!chosen) return std::nullopt;
    file.resize(file.find(L'\0'));
    return WideToUtf8(file);
  }

  static bool Held(int button) { return GetAsyncKeyState(button) & 0x8000; }

  // The keyboard comes back to the editor, and no input of the prompt's reaches it.
  void ForgetInputDuringPrompt() {
    SetForegroundWindow(window_);
    input_.ForgetPrompt(Held(VK_LBUTTON), Held(VK_RBUTTON));
  }

  HWND window_ = nullptr;
  HICON icon_ = nullptr;
  std::vector<std::uint32_t> framePixels_;
  int frameWidth_ = 0;
  int frameHeight_ = 0;
  // Keys, like buttons, must not vanish when pressed and released between two polls.
  InputLatches input_{256};
  static constexpr std::uint64_t kQuietAfterMs = 250;
  static constexpr int kQuietSleepMs = 8;
  std::uint64_t lastInputAt_ = 0;
};

}  // namespace

std::unique_ptr<Platform> CreateDesktopPlatform(std::string_view sjisTitle) {
  // One screen pixel per picture pixel, whatever the display's scaling.
  SetProcessDPIAware();
  // Sleeps of a millisecond, as the editor's loop expects, not the
  // system's default sixteen.
  timeBeginPeriod(1);
  auto platform = std::make_unique<Win32Platform>();
  if (!platform->Open(sjisTitle)) {
    std::fprintf(stderr, "kumodo: cannot open a window (error %lu)\n", GetLastError());
    return nullptr;
  }
  return platform;
}

}  // namespace kumodo
