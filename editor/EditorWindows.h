#pragma once
// The editor's two windows, created in the program's order and wired to each other.

#include "editor/EditorServices.h"
#include "editor/Uedytor.h"
#include "editor/Upliki.h"

struct EditorWindows {
    TFoRPGEdit edytor;
    TFoPliki pliki; // created hidden, right after the editor window

    explicit EditorWindows(const EditorServices& services);
};
