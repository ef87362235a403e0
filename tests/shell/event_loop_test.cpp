#include "shell/event_loop.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "shell/frame_driver.h"
#include "shell/playback_controls.h"

namespace {

WindowEvent key(int virtualKey) {
    return {WindowEventKind::kKeyDown, virtualKey};
}
WindowEvent kind(WindowEventKind k) {
    return {k, 0};
}

// Events scripted per loop turn; logs what the loop did, so that the order can be checked.
// `waiting[n]` are the events that arrive before frame n is due; a wait with nothing scripted
// fails the source (the real one would block forever).
class ScriptedEvents : public WindowEventSource {
  public:
    std::vector<std::string> log;
    std::deque<WindowEvent> queued;
    std::deque<WindowEvent> afterWait;  // what arrives while the loop blocks

    bool poll(WindowEvent& event) override {
        if (queued.empty()) return false;
        event = queued.front();
        queued.pop_front();
        log.push_back("event");
        return true;
    }
    bool wait(WindowEvent& event) override {
        log.push_back("wait");
        if (afterWait.empty()) return false;
        event = afterWait.front();
        afterWait.pop_front();
        return true;
    }
};

TEST(MessageLoop, EveryWaitingEventIsHandledBeforeAFrame) {
    ScriptedEvents events;
    events.queued = {key('A'), kind(WindowEventKind::kOther), key('B')};
    LoopState state;
    int frames = 0;
    const int code = runMessageLoop(events, state, [&] {
        events.log.push_back("frame");
        if (++frames == 2) events.queued.push_back(key(VK_ESCAPE));
        return true;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(events.log,
              (std::vector<std::string>{"event", "event", "event", "frame", "frame", "event"}));
}

TEST(MessageLoop, EscapeF12AndCloseEachEndWithCodeZero) {
    for (const WindowEvent& closing :
         {key(VK_ESCAPE), key(VK_F12), kind(WindowEventKind::kCloseRequest)}) {
        ScriptedEvents events;
        events.queued = {closing};
        LoopState state;
        int frames = 0;
        EXPECT_EQ(runMessageLoop(events, state,
                                 [&] {
                                     ++frames;
                                     return true;
                                 }),
                  0);
        EXPECT_EQ(frames, 0);
        EXPECT_TRUE(state.closing);
    }
}

TEST(MessageLoop, OtherKeysChangeNothing) {
    LoopState state;
    for (int k : {0, 13, 32, 81, 122, 124, 0x1001B}) handleWindowEvent(state, key(k));
    EXPECT_FALSE(state.closing);
    EXPECT_TRUE(state.appActive);
}

// Deactivation stops frames at once and the loop blocks; reactivation resumes with the frame
// number where it stood.
TEST(MessageLoop, PausesWhileInactiveAndResumesAtTheSameFrame) {
    ScriptedEvents events;
    events.afterWait = {kind(WindowEventKind::kOther), kind(WindowEventKind::kActivated)};
    LoopState state;
    FrameState frame;
    std::vector<int> drawn;
    runMessageLoop(events, state, [&] {
        drawn.push_back(frame.frameCounter);
        events.log.push_back("frame " + std::to_string(frame.frameCounter));
        frame.frameCounter = nextFrameNumber(frame.frameCounter, 10);
        if (frame.frameCounter == 3) events.queued.push_back(kind(WindowEventKind::kDeactivated));
        if (frame.frameCounter == 5) events.queued.push_back(key(VK_F12));
        return true;
    });
    EXPECT_EQ(events.log,
              (std::vector<std::string>{"frame 0", "frame 1", "frame 2", "event", "wait", "wait",
                                        "frame 3", "frame 4", "event"}));
    EXPECT_EQ(drawn, (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST(MessageLoop, StopsWhenTheFrameProducerSaysSo) {
    ScriptedEvents events;
    LoopState state;
    int frames = 0;
    EXPECT_EQ(runMessageLoop(events, state, [&] { return ++frames < 4; }), 0);
    EXPECT_EQ(frames, 4);
    EXPECT_FALSE(state.closing);
}

TEST(MessageLoop, FailedWaitEndsTheLoopWithAnErrorInsteadOfSpinning) {
    ScriptedEvents events;
    events.queued = {kind(WindowEventKind::kDeactivated)};
    LoopState state;
    int frames = 0;
    EXPECT_EQ(runMessageLoop(events, state,
                             [&] {
                                 ++frames;
                                 return true;
                             }),
              1);
    EXPECT_EQ(frames, 0);
    EXPECT_EQ(events.log, (std::vector<std::string>{"event", "wait"}));
}

}  // namespace

namespace {

// Space pauses, Left and Right step only while paused (wrapping at the cycle's ends), Home goes
// back to frame 0; drags and the wheel move only the fit camera; Esc still ends the loop.
TEST(PlaybackControls, PauseStepRewindAndTheFitCameraOnly) {
    FrameState frame;
    frame.frameCounter = 5;
    Viewer fixed;
    applyPlaybackControl(key(VK_RIGHT), frame, fixed, 9);
    EXPECT_EQ(frame.frameCounter, 5);  // playing: the arrows do nothing
    applyPlaybackControl(key(VK_SPACE), frame, fixed, 9);
    EXPECT_TRUE(frame.paused);
    applyPlaybackControl(key(VK_RIGHT), frame, fixed, 9);
    EXPECT_EQ(frame.frameCounter, 6);
    for (int i = 0; i < 7; ++i) applyPlaybackControl(key(VK_LEFT), frame, fixed, 9);
    EXPECT_EQ(frame.frameCounter, 9);  // 6 back to 0, then round to the last frame
    applyPlaybackControl(key(VK_HOME), frame, fixed, 9);
    EXPECT_EQ(frame.frameCounter, 0);
    applyPlaybackControl(key(VK_SPACE), frame, fixed, 9);
    EXPECT_FALSE(frame.paused);

    Scene scene;
    std::string note;
    Viewer fit = Viewer::make(scene, Animation{}, {CameraKind::fit, 0}, 640, 480, note);
    const CameraView before = fit.frameView(0);
    WindowEvent drag{WindowEventKind::kDrag, 0, 40, 0, 0};
    applyPlaybackControl(drag, frame, fit, 9);
    const CameraView turned = fit.frameView(0);
    EXPECT_NE(std::memcmp(&before.view, &turned.view, sizeof(D3DMATRIX)), 0);
    WindowEvent wheel{WindowEventKind::kWheel, 0, 0, 0, 3};
    applyPlaybackControl(wheel, frame, fit, 9);
    EXPECT_LT(fit.frameView(0).view._43, turned.view._43);  // closer to the centre

    LoopState state;
    bool controlled = false;
    handleWindowEvent(state, key(VK_SPACE), [&](const WindowEvent&) { controlled = true; });
    EXPECT_TRUE(controlled);
    handleWindowEvent(state, key(VK_ESCAPE), [](const WindowEvent&) { FAIL(); });
    EXPECT_TRUE(state.closing);
}

}  // namespace
