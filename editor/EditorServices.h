#pragma once
// What the editor's windows take from the platform; tests pass fakes.

#include "core/RecordFile.h"
#include "core/SoundDevice.h"
#include "ui/FileDialog.h"
#include "ui/MessageBoxes.h"

struct EditorServices {
    MessageBoxes& boxes;
    FileOpenDialog& scenarioDialog; // "Open/New", asks before creating a file
    RecordFileFactory& files;
    SoundDeviceFactory soundDevice;
};
