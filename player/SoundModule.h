#pragma once
// The player's sound device, in a module of its own loaded when the game window is made.

#include "platform/core/SoundDevice.h"

#include <QString>

// The real device (Qt Multimedia) lives in the module kitsound, which the player loads when it
// makes its game window: Qt Multimedia and the twenty-odd libraries it links are not loaded
// before the menu is shown. The program and the module meet only through these plain
// functions over an opaque device, and errors cross as a code and a text, so that no C++
// class, whose type information each side holds a copy of, and no exception has to cross.
struct SoundModuleFunctions {
    // A new device; `changed(context)` is called at every change of its state.
    void* (*create)(void (*changed)(void* context), void* context);
    void (*destroy)(void* device);
    // SoundDevice::open: AppError::None when the device opened, else the AppError's code, with
    // its text in `message`.
    int (*open)(void* device, const QString& file, const QString& deviceType, QString& message);
    void (*close)(void* device);
    void (*play)(void* device);
    void (*stop)(void* device);
    void (*rewind)(void* device);
    SoundDevice::State (*state)(void* device);
};

// The name of the module's one exported function:
// extern "C" const SoundModuleFunctions* kitSoundModule();
inline constexpr char SoundModuleEntry[] = "kitSoundModule";

// Devices from the module at `path`, loaded at the first device made. When it cannot be loaded,
// the game plays on without sound: each device refuses every sound with the loader's error (as
// a machine without a sound server refuses them) and opens without a file.
SoundDeviceFactory soundModuleDevices(const QString& path);
