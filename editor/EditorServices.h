#pragma once
// What the editor's windows take from the platform; tests pass fakes.

#include "platform/core/RecordFile.h"
#include "platform/core/SoundDevice.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/MessageBoxes.h"

#include <QString>
#include <cstdint>
#include <functional>

struct EditorServices {
    MessageBoxes& boxes;
    FileOpenDialog& scenarioDialog; // "Open/New", asks before creating a file
    RecordFileFactory& files;
    SoundDeviceFactory soundDevice;
    // Starts the player on the scenario at `path`, at situation `from`; false when it could
    // not be started. Empty: no player can be started.
    std::function<bool(const QString& path, std::int32_t from)> startPlayer = {};
    // Where the versions of scenarios are kept; empty: the user's data folder
    // (VersionStore::defaultRoot()).
    QString versionRoot = {};
};
