#pragma once
// What the editor's windows take from the platform; tests pass fakes.

#include "FileDialog.h"
#include "MessageBoxes.h"
#include "RecordFile.h"
#include "SoundDevice.h"

struct EditorServices {
    MessageBoxes& boxes;
    FileOpenDialog& scenarioDialog; // "Open/New", asks before creating a file
    RecordFileFactory& files;
    SoundDeviceFactory soundDevice;
};
