#include "platform/desktop_platform.h"

#include <SDL.h>
#include <poll.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/XKBlib.h>

#include <langinfo.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/button_latch.h"
#include "platform/prompt_process.h"
#include "platform/text_encoding.h"

namespace kumodo {
namespace {

constexpr int kClientWidth = 800;
constexpr int kClientHeight = 600;

// The scancodes that answer for a virtual key: none for keys the program
// never reads. Asked some thirty times a pass, so nothing is allocated.
struct Scancodes {
  SDL_Scancode codes[2];
  int count;
};

Scancodes ScancodesFor(int virtualKey) {
  auto one = [](int code) { return Scancodes{{static_cast<SDL_Scancode>(code), SDL_SCANCODE_UNKNOWN}, 1}; };
  if (virtualKey == vk::Enter) return {{SDL_SCANCODE_RETURN, SDL_SCANCODE_KP_ENTER}, 2};
  if (virtualKey == vk::Shift) return {{SDL_SCANCODE_LSHIFT, SDL_SCANCODE_RSHIFT}, 2};
  if (virtualKey == vk::Control) return {{SDL_SCANCODE_LCTRL, SDL_SCANCODE_RCTRL}, 2};
  if (virtualKey >= vk::LetterA && virtualKey < vk::LetterA + 26) return one(SDL_SCANCODE_A + virtualKey - vk::LetterA);
  if (virtualKey == vk::Escape) return one(SDL_SCANCODE_ESCAPE);
  if (virtualKey == vk::Space) return one(SDL_SCANCODE_SPACE);
  if (virtualKey == vk::Left) return one(SDL_SCANCODE_LEFT);
  if (virtualKey == vk::Up) return one(SDL_SCANCODE_UP);
  if (virtualKey == vk::Right) return one(SDL_SCANCODE_RIGHT);
  if (virtualKey == vk::Down) return one(SDL_SCANCODE_DOWN);
  if (virtualKey == vk::Digit0) return one(SDL_SCANCODE_0);
  if (virtualKey > vk::Digit0 && virtualKey <= vk::Digit0 + 9) return one(SDL_SCANCODE_1 + virtualKey - vk::Digit0 - 1);
  if (virtualKey == vk::Numpad0) return one(SDL_SCANCODE_KP_0);
  if (virtualKey > vk::Numpad0 && virtualKey <= vk::Numpad0 + 9) {
    return one(SDL_SCANCODE_KP_1 + virtualKey - vk::Numpad0 - 1);
  }
  if (virtualKey >= vk::F1 && virtualKey <= vk::F12) return one(SDL_SCANCODE_F1 + virtualKey - vk::F1);
  return {{SDL_SCANCODE_UNKNOWN, SDL_SCANCODE_UNKNOWN}, 0};
}

class DesktopPlatform : public Platform {
 public:
  explicit DesktopPlatform(SDL_Window* window) : window_(window) {}
  ~DesktopPlatform() override {
    if (audio_ != 0) SDL_CloseAudioDevice(audio_);
    SDL_DestroyWindow(window_);
    SDL_Quit();
  }

  void SetWindowTitle(std::string_view sjisTitle) override {
    SDL_SetWindowTitle(window_, SjisToUtf8(sjisTitle).c_str());
  }

  void SetWindowIcon(const Bitmap& icon) override {
    if (icon.Empty()) return;
    std::vector<Rgb> pixels(icon.pixels);
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), icon.width, icon.height, 32,
                                                              icon.width * 4, SDL_PIXELFORMAT_XBGR8888);
    if (!surface) return;
    SDL_SetWindowIcon(window_, surface);
    SDL_FreeSurface(surface);
  }

  void SetWindowOpacity(int alpha) override {
    SDL_SetWindowOpacity(window_, static_cast<float>(std::clamp(alpha, 0, 255)) / 255.0f);
  }

  void Present(const Bitmap& frame) override {
    lastFrame_ = frame;
    Show();
    Pump();
  }

  // The pointer in client coordinates, also outside the window. X11 is asked
  // directly (SDL's global position can lag one move behind), but only after
  // the mouse moved or every few milliseconds: the loop polls a thousand
  // times a second, and an idle editor should cost next to nothing.
  PointerPosition ReadPointer() override {
    Pump();
    // Until a poll has seen a press, the pointer is where the press happened:
    // a busy editor may get to it after the mouse has moved on.
    if (input_.left.PressUnseen()) return input_.left.PressedAt();
    const Uint64 now = SDL_GetTicks64();
    if (!pointerMoved_ && now - pointerQueriedAt_ < kPointerRefreshMs) return pointer_;
    if (const auto x11 = X11Window()) {
      Window root, child;
      int rootX, rootY, windowX, windowY;
      unsigned int mask;
      if (XQueryPointer(x11->display, x11->window, &root, &child, &rootX, &rootY, &windowX, &windowY, &mask)) {
        pointerMoved_ = false;
        pointerQueriedAt_ = now;
        pointer_ = {windowX, windowY};
        return pointer_;
      }
    }
    if (pointerOverride_) return *pointerOverride_;
    int x = 0;
    int y = 0;
    SDL_GetMouseState(&x, &y);
    return {x, y};
  }

  bool IsButtonDown(MouseButton button) override { return input_.Button(button).Observe(); }
  bool PeekButton(MouseButton button) override { return input_.Button(button).Peek(); }
  PointerPosition ReleasedAt(MouseButton button) override { return input_.Button(button).ReleasedAt(); }

  bool IsKeyDown(int virtualKey) override {
    const Scancodes scancodes = ScancodesFor(virtualKey);
    bool down = false;
    for (int i = 0; i < scancodes.count; ++i) down = input_.keys.Observe(scancodes.codes[i]) || down;
    return down;
  }

  std::uint64_t InputMark() override { return input_.Mark(); }
  void ForgetKeysSince(std::uint64_t mark) override { input_.ForgetKeysSince(mark); }
  void InputActedOn() override { input_.ActedOn(); }

  void MoveCursorBy(int dx, int dy) override {
    if (const auto x11 = X11Window()) {
      XWarpPointer(x11->display, None, None, 0, 0, 0, 0, dx, dy);
      XFlush(x11->display);
      pointerMoved_ = true;
      return;
    }
    // Some systems do not let a program move the cursor; the program's own
    // pointer then moves until the mouse does.
    const PointerPosition now = ReadPointer();
    pointerOverride_ = PointerPosition{now.x + dx, now.y + dy};
    SDL_WarpMouseInWindow(window_, now.x + dx, now.y + dy);
  }

  // Sleeps until the time is up or input arrives. After a quarter second
  // with no input and nothing held down, the sleeps grow to a few
  // milliseconds: input still wakes the loop at once, and an idle editor
  // costs next to no processor time.
  void Sleep(int milliseconds) override {
    const Uint64 now = SDL_GetTicks64();
    const bool quiet = !input_.AnyDown() && now - lastInputAt_ > kQuietAfterMs;
    const int wait = std::max(milliseconds, quiet ? kQuietSleepMs : 0);
    if (const auto x11 = X11Window()) {
      XFlush(x11->display);
      if (XPending(x11->display) == 0) {
        pollfd input{ConnectionNumber(x11->display), POLLIN, 0};
        poll(&input, 1, wait);
      }
    } else {
      SDL_Delay(static_cast<Uint32>(wait));
    }
    Pump();
  }

  std::uint64_t NowMs() override { return SDL_GetTicks64(); }

  MessageBoxAnswer ShowMessageBox(std::string_view sjisText, std::string_view sjisCaption,
                                  MessageBoxButtons buttons, MessageBoxIcon icon) override {
    const char* iconName = icon == MessageBoxIcon::Warning ? "warning" : icon == MessageBoxIcon::Error ? "error" : "none";
    const PromptOutcome outcome =
        Prompt({"message", buttons == MessageBoxButtons::Ok ? "ok" : "okcancel", iconName, SjisToUtf8(sjisCaption),
                SjisToUtf8(sjisText)});
    return outcome.AnsweredOk() ? MessageBoxAnswer::Ok : MessageBoxAnswer::Cancel;
  }

  std::optional<std::string> ChooseFileToOpen(const std::vector<FileFilter>& filters) override {
    return ChooseFile("open", filters);
  }

  std::optional<std::string> ChooseFileToSave(const std::vector<FileFilter>& filters) override {
    return ChooseFile("save", filters);
  }

  bool PromptsAvailable() override { return PromptHelperPresent(); }

  void Beep() override {
    if (!OpenAudio()) return;
    // A short square-wave tone, like the system's default sound.
    constexpr int kRate = 22050;
    constexpr int kSamples = kRate / 10;
    std::vector<Sint16> tone(kSamples);
    for (int i = 0; i < kSamples; ++i) {
      const double fade = 1.0 - static_cast<double>(i) / kSamples;
      tone[i] = static_cast<Sint16>(((i / (kRate / 1760)) % 2 ? 6000 : -6000) * fade);
    }
    SDL_ClearQueuedAudio(audio_);
    SDL_QueueAudio(audio_, tone.data(), static_cast<Uint32>(tone.size() * sizeof(Sint16)));
    SDL_PauseAudioDevice(audio_, 0);
  }

 private:
  // The prompts run in a helper process while this window stays painted.
  PromptOutcome Prompt(const std::vector<std::string>& arguments) {
    const PromptOutcome outcome = RunPromptProcess(arguments, [this] { KeepAlive(); });
    ForgetInputDuringPrompt();
    return outcome;
  }

  std::optional<std::string> ChooseFile(const char* action, const std::vector<FileFilter>& filters) {
    std::vector<std::string> arguments = {action};
    for (const FileFilter& filter : filters) {
      arguments.push_back(SjisToUtf8(filter.description));
      arguments.push_back(filter.patterns);
    }
    return Prompt(arguments).ChosenPath();
  }

  struct X11Handles {
    Display* display;
    Window window;
  };
  // Asked each time: SDL may recreate the window behind its handle.
  std::optional<X11Handles> X11Window() {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window_, &info) || info.subsystem != SDL_SYSWM_X11) return std::nullopt;
    return X11Handles{info.info.x11.display, info.info.x11.window};
  }

  void Show() {
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (!surface || lastFrame_.Empty()) return;
    const int width = std::min(lastFrame_.width, surface->w);
    const int height = std::min(lastFrame_.height, surface->h);
    SDL_ConvertPixels(width, height, SDL_PIXELFORMAT_XBGR8888, lastFrame_.pixels.data(), lastFrame_.width * 4,
                      surface->format->format, surface->pixels, surface->pitch);
    SDL_UpdateWindowSurface(window_);
  }

  [[noreturn]] void EndProcess() {
    // Closing the window ends the program at once; nothing is saved.
    SDL_Quit();
    std::_Exit(0);
  }

  // Processes what has arrived; the latches first let go of releases whose
  // press a poll has seen.
  void Pump() {
    input_.BeginPump();
    SDL_Event event;
    while (SDL_PollEvent(&event)) Handle(event);
  }

  void Handle(const SDL_Event& event) {
    switch (event.type) {
      case SDL_QUIT:
        EndProcess();
      case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) EndProcess();
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED) Show();
        break;
      case SDL_KEYDOWN:
        lastInputAt_ = SDL_GetTicks64();
        if (!event.key.repeat) input_.PressKey(event.key.keysym.scancode);
        break;
      case SDL_KEYUP:
        lastInputAt_ = SDL_GetTicks64();
        input_.ReleaseKey(event.key.keysym.scancode);
        break;
      case SDL_MOUSEMOTION:
        pointerOverride_.reset();
        pointerMoved_ = true;
        lastInputAt_ = SDL_GetTicks64();
        break;
      case SDL_MOUSEBUTTONDOWN:
        pointerMoved_ = true;
        lastInputAt_ = SDL_GetTicks64();
        if (event.button.button == SDL_BUTTON_LEFT) input_.PressButton(MouseButton::Left, {event.button.x, event.button.y});
        if (event.button.button == SDL_BUTTON_RIGHT) input_.PressButton(MouseButton::Right);
        break;
      case SDL_MOUSEBUTTONUP:
        lastInputAt_ = SDL_GetTicks64();
        if (event.button.button == SDL_BUTTON_LEFT) {
          input_.ReleaseButton(MouseButton::Left, {event.button.x, event.button.y});
        }
        if (event.button.button == SDL_BUTTON_RIGHT) input_.ReleaseButton(MouseButton::Right);
        break;
      default:
        break;
    }
  }

  // While a prompt is open the window only repaints and may be closed; the
  // prompt owns the input.
  void KeepAlive() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
      if (event.type == SDL_QUIT ||
          (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE)) {
        EndProcess();
      }
      if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_EXPOSED) Show();
    }
  }

  // The keyboard comes back to the editor, and no input of the prompt's reaches it.
  void ForgetInputDuringPrompt() {
    SDL_SetWindowInputFocus(window_);
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_MOUSEMOTION, SDL_MOUSEWHEEL);
    const Uint32 buttons = SDL_GetMouseState(nullptr, nullptr);
    input_.ForgetPrompt(buttons & SDL_BUTTON_LMASK, buttons & SDL_BUTTON_RMASK, KeysHeldNow());
  }

  // The keys down on the keyboard now, as the scancodes SDL reports: asked
  // of the X server, since SDL forgot them while the prompt had the keyboard.
  // X names a key as SDL does, but for the keypad ("KP_4", "Keypad 4").
  std::vector<int> KeysHeldNow() {
    std::vector<int> held;
    const auto x11 = X11Window();
    if (!x11) return held;
    char keymap[32];
    XQueryKeymap(x11->display, keymap);
    for (int code = 8; code < 256; ++code) {
      if (!(keymap[code / 8] & (1 << (code % 8)))) continue;
      const char* name = XKeysymToString(XkbKeycodeToKeysym(x11->display, static_cast<KeyCode>(code), 0, 0));
      if (!name) continue;
      std::string sdlName = name;
      if (sdlName.rfind("KP_", 0) == 0) sdlName = "Keypad " + sdlName.substr(3);
      const SDL_Keycode key = SDL_GetKeyFromName(sdlName.c_str());
      if (key != SDLK_UNKNOWN) held.push_back(SDL_GetScancodeFromKey(key));
    }
    return held;
  }

  // Only where some sound service or device exists: probing for one that is
  // not there makes the sound libraries complain on standard error.
  static bool SoundMayExist() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string runtimeDir = runtime ? runtime : "";
    return std::getenv("PULSE_SERVER") || (!runtimeDir.empty() && (std::filesystem::exists(runtimeDir + "/pulse/native") ||
                                                                    std::filesystem::exists(runtimeDir + "/pipewire-0"))) ||
           std::filesystem::exists("/dev/snd/controlC0");
  }

  bool OpenAudio() {
    if (audioTried_) return audio_ != 0;
    audioTried_ = true;
    if (!SoundMayExist()) return false;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    SDL_AudioSpec wanted{};
    wanted.freq = 22050;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 1;
    wanted.samples = 1024;
    audio_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    return audio_ != 0;
  }

  SDL_Window* window_;
  std::optional<PointerPosition> pointerOverride_;
  static constexpr Uint64 kPointerRefreshMs = 10;
  PointerPosition pointer_;
  bool pointerMoved_ = true;
  Uint64 pointerQueriedAt_ = 0;
  Bitmap lastFrame_;
  // Keys, like buttons, must not vanish when pressed and released between two polls.
  InputLatches input_{SDL_NUM_SCANCODES};
  static constexpr Uint64 kQuietAfterMs = 250;
  static constexpr int kQuietSleepMs = 8;
  Uint64 lastInputAt_ = 0;
  SDL_AudioDeviceID audio_ = 0;
  bool audioTried_ = false;
};

}  // namespace

std::unique_ptr<Platform> CreateDesktopPlatform(std::string_view sjisTitle) {
  // The window system takes titles in the locale's character set; without a
  // UTF-8 one the Japanese title would reach it garbled.
  std::setlocale(LC_CTYPE, "");
  if (std::string_view(nl_langinfo(CODESET)) != "UTF-8") std::setlocale(LC_CTYPE, "C.UTF-8");
  // A release outside the window must still be seen.
  SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "1");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  // A plain software frame is plenty for 800 x 600, and keeps the window the
  // same one from start to end (an accelerated one is made anew on first use).
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "kumodo: cannot open a window: %s\n", SDL_GetError());
    return nullptr;
  }
  SDL_Window* window = SDL_CreateWindow(SjisToUtf8(sjisTitle).c_str(), 0, 0, kClientWidth, kClientHeight,
                                        SDL_WINDOW_SHOWN);
  if (!window) {
    std::fprintf(stderr, "kumodo: cannot open a window: %s\n", SDL_GetError());
    SDL_Quit();
    return nullptr;
  }
  SDL_RaiseWindow(window);
  auto platform = std::make_unique<DesktopPlatform>(window);
  platform->Present(Bitmap(kClientWidth, kClientHeight));
  return platform;
}

}  // namespace kumodo
