// What a window tells the program, stripped of the window system: keys, close requests and
// activation changes. The message loop reads these from a source that may block.
#pragma once

constexpr int VK_ESCAPE = 27;
constexpr int VK_F12 = 123;

enum class WindowEventKind {
    kOther,         // anything the program ignores
    kKeyDown,       // virtualKey names the key
    kCloseRequest,  // the user or the window manager asks the window to close
    kActivated,     // focus gained, restored or shown
    kDeactivated,   // focus lost or minimised
};

struct WindowEvent {
    WindowEventKind kind = WindowEventKind::kOther;
    int virtualKey = 0;  // VK_ESCAPE, VK_F12, or another number for other keys
};

class WindowEventSource {
  public:
    virtual ~WindowEventSource() = default;
    // Takes the next waiting event without blocking; false when none waits.
    virtual bool poll(WindowEvent& event) = 0;
    // Blocks until an event arrives and takes it; false when waiting itself failed.
    virtual bool wait(WindowEvent& event) = 0;
};
