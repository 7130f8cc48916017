#pragma once
// The editor's two windows, created in the program's order and wired to each other.

#include "EditorServices.h"
#include "Uedytor.h"
#include "Upliki.h"

struct EditorWindows {
    TFoRPGEdit edytor;
    TFoPliki pliki; // created hidden, right after the editor window

    explicit EditorWindows(const EditorServices& services);
};
