// The sound module's one entry point (see player/SoundModule.h): the real device over Qt
// Multimedia, reached through plain functions.

#include "platform/core/AppError.h"
#include "platform/media/QtSoundDevice.h"
#include "player/SoundModule.h"

#include <memory>

namespace {

QtSoundDevice& device(void* handle) {
    return *static_cast<QtSoundDevice*>(handle);
}

const SoundModuleFunctions functions = {
    .create = [](void (*changed)(void* context), void* context) -> void* {
        // Owned by the program from here, which gives it back to `destroy`.
        auto* made = std::make_unique<QtSoundDevice>().release();
        QObject::connect(made, &SoundDevice::stateChanged, made,
                         [changed, context] { changed(context); });
        return made;
    },
    .destroy = [](void* handle) { delete &device(handle); },
    .open = [](void* handle, const QString& file, const QString& deviceType,
               QString& message) -> int {
        try {
            device(handle).open(file, deviceType);
            return AppError::None;
        } catch (const AppError& error) {
            message = error.message();
            return error.code();
        }
    },
    .close = [](void* handle) { device(handle).close(); },
    .play = [](void* handle) { device(handle).play(); },
    .stop = [](void* handle) { device(handle).stop(); },
    .rewind = [](void* handle) { device(handle).rewind(); },
    .state = [](void* handle) { return device(handle).state(); },
};

} // namespace

extern "C" Q_DECL_EXPORT const SoundModuleFunctions* kitSoundModule() {
    return &functions;
}
