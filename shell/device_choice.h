// --device: which 3D device the display set-up finds as its hardware device. The set-up itself
// asks for the hardware device first and falls back to the software one, as always; this decides
// whether there is a hardware device to find.
#pragma once

#include <memory>
#include <string>

#include "platform/software/software_display.h"
#include "shell/options.h"

class GlDeviceMaker;

class DeviceChoice {
  public:
    DeviceChoice();
    ~DeviceChoice();
    DeviceChoice(const DeviceChoice&) = delete;
    DeviceChoice& operator=(const DeviceChoice&) = delete;

    // Prepares the hardware device for `request`, on the SDL window `sdlWindow` or headless when
    // it is null. False with the reason in `error` when the hardware device is demanded and no
    // OpenGL context can be made.
    bool prepare(DeviceRequest request, void* sdlWindow, std::string& error);
    // What the display set-up is to offer as its hardware device; null: none.
    HardwareDeviceMaker* hardware();

    // After the set-up: false with the reason in `error` when the hardware device was demanded
    // but the set-up could not make it.
    bool confirm(std::string& error) const;
    // After the set-up: which device draws, e.g. "the software device (OpenGL's renderer is
    // llvmpipe, which draws on the CPU)".
    std::string describe() const;
    // For --bench: "hardware (OpenGL: <renderer>)" or "software".
    std::string shortName() const;
    bool hardwareDraws() const;

  private:
    DeviceRequest request_ = DeviceRequest::software;
    std::unique_ptr<GlDeviceMaker> maker_;
    std::string whyNotHardware_;
};
