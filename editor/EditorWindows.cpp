#include "editor/EditorWindows.h"

EditorWindows::EditorWindows(const EditorServices& services)
    : edytor(services), pliki(services.boxes) {
    QObject::connect(&edytor, &TFoRPGEdit::mediaChooserRequested, &pliki, &TFoPliki::openFor);
    QObject::connect(&pliki, &TFoPliki::mediaChosen, &edytor, &TFoRPGEdit::mediaChosen);
    QObject::connect(&pliki, &TFoPliki::closed, &edytor, &TFoRPGEdit::mediaChooserClosed);
}
