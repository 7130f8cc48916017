#pragma once
// What the player's windows take from the platform, and the chosen scenario.

#include "platform/core/RecordFile.h"
#include "platform/core/SoundDevice.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/MessageBoxes.h"

// What the player's windows take from the platform; tests pass fakes.
struct PlayerServices {
    MessageBoxes& boxes;
    FileOpenDialog& scenarioDialog;
    RecordFileFactory& files;
    SoundDeviceFactory soundDevice;
};

// The scenario chosen in the menu, read by the game window at every start.
struct ScenarioChoice {
    QString path;   // full path of the chosen .Kro file; empty until one is chosen
    QString folder; // the path up to and including its last separator
};
