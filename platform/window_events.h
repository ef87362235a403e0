// What a window tells the program, stripped of the window system: keys, close requests and
// activation changes. The message loop reads these from a source that may block.
#pragma once

constexpr int VK_SPACE = 0x20;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_ESCAPE = 27;
constexpr int VK_F12 = 123;

enum class WindowEventKind {
    kOther,         // anything the program ignores
    kKeyDown,       // virtualKey names the key
    kCloseRequest,  // the user or the window manager asks the window to close
    kActivated,     // focus gained, restored or shown
    kDeactivated,   // focus lost or minimised
    kDrag,          // the pointer moved with its first button held, by dx, dy pixels
    kWheel,         // the wheel turned by `wheel` steps (positive: away from the user)
};

struct WindowEvent {
    WindowEventKind kind = WindowEventKind::kOther;
    int virtualKey = 0;  // VK_ESCAPE, VK_F12, VK_SPACE, ... or another number for other keys
    int dx = 0, dy = 0;
    int wheel = 0;
};

class WindowEventSource {
  public:
    virtual ~WindowEventSource() = default;
    // Takes the next waiting event without blocking; false when none waits.
    virtual bool poll(WindowEvent& event) = 0;
    // Blocks until an event arrives and takes it; false when waiting itself failed.
    virtual bool wait(WindowEvent& event) = 0;
};
