#include "player/SoundModule.h"

#include "platform/core/AppError.h"

#include <QLibrary>
#include <memory>

namespace {

// A device of the module, reached through its functions.
class ModuleDevice : public SoundDevice {
public:
    explicit ModuleDevice(const SoundModuleFunctions& module)
        : module_(module), device_(module.create(&ModuleDevice::changed, this)) {}
    ~ModuleDevice() override { module_.destroy(device_); }
    ModuleDevice(const ModuleDevice&) = delete;
    ModuleDevice& operator=(const ModuleDevice&) = delete;

    void open(const QString& file, const QString& deviceType) override {
        QString message;
        if (const int code = module_.open(device_, file, deviceType, message);
            code != AppError::None)
            throw AppError(code, message);
    }
    void close() override { module_.close(device_); }
    void play() override { module_.play(device_); }
    void stop() override { module_.stop(device_); }
    void rewind() override { module_.rewind(device_); }
    State state() const override { return module_.state(device_); }

private:
    static void changed(void* self) { emit static_cast<ModuleDevice*>(self)->stateChanged(); }

    const SoundModuleFunctions& module_;
    void* device_;
};

// The device of a player whose module did not load: it opens without a file, as the real
// device does on a machine without sound, and refuses every sound with the loader's error.
class SilentDevice : public SoundDevice {
public:
    explicit SilentDevice(QString error) : error_(std::move(error)) {}

    void open(const QString& file, const QString&) override {
        close();
        if (!file.isEmpty())
            throw AppError(AppError::Other, error_);
        setState(State::Stopped);
    }
    void close() override { setState(State::Closed); }
    void play() override {}
    void stop() override {}
    void rewind() override {}
    State state() const override { return state_; }

private:
    void setState(State state) {
        if (state_ == state)
            return;
        state_ = state;
        emit stateChanged();
    }

    QString error_;
    State state_ = State::Closed;
};

} // namespace

SoundDeviceFactory soundModuleDevices(const QString& path) {
    return [path]() -> std::unique_ptr<SoundDevice> {
        // The library stays loaded when `module` goes: the devices run its code.
        QLibrary module(path);
        using Entry = const SoundModuleFunctions* (*)();
        if (const auto entry = reinterpret_cast<Entry>(module.resolve(SoundModuleEntry)))
            return std::make_unique<ModuleDevice>(*entry());
        return std::make_unique<SilentDevice>(module.errorString());
    };
}
