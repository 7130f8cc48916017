#include "EditorWindows.h"

EditorWindows::EditorWindows(const EditorServices& services)
    : edytor(services),
      pliki(services.boxes,
            TFoPliki::Editor{edytor, edytor.state().krok, edytor.state().rekord,
                             edytor.state().folder(), *edytor.LaBmp, *edytor.LaWAV, *edytor.MPwav,
                             [this] { edytor.PaObrazekRepaint(); }}) {
    QObject::connect(&edytor, &TFoRPGEdit::mediaChooserRequested, &pliki, &TFoPliki::openFor);
}
