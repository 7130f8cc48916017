#pragma once
// The editor's session as the editor runs it, over a scripted view and record files (ones
// that can fail, or the real ones), with the rewrite of a whole scenario the editor gives it.

#include "authoring/Restructuring.h"
#include "editor/model/EditorSession.h"
#include "tests/support/FaultyRecordFile.h"
#include "tests/support/ScriptedEditorView.h"

template <class Files> struct SessionRigOn {
    Files files;
    ScriptedEditorView view;
    EditorSession session{files, view,
                          [this](const QString& path, const EditorSession::RecordsChange& change,
                                 const ScenarioState::Progress& progress) {
                              return restructureScenario(
                                  files, path,
                                  [&](ScenarioSnapshot& snapshot) {
                                      return change(snapshot.rekordy, snapshot.listy);
                                  },
                                  progress);
                          }};

    QString shownName() const { return session.state().krok().Nazwa.text(); }
    // The fields of situation 1 of twoSituations() renamed, as an author changes them.
    void rename(const QString& nazwa) {
        view.typed = {};
        view.typed.nazwa = nazwa;
        view.typed.typ = QStringLiteral("Poczatek");
        view.typed.opis = QStringLiteral("opis");
        view.typed.wybory[0] = QStringLiteral("Dalej");
        view.typed.cele[0] = QStringLiteral("Default Koniec");
        view.typed.wyboryWlaczone[0] = view.typed.celeWlaczone[0] = true;
    }
    // A complete "Koniec" situation, as an author types it.
    void typeAnEnd() {
        view.typed = {};
        view.typed.nazwa = QStringLiteral("Koniec sceny");
        view.typed.typ = QStringLiteral("Koniec");
        view.typed.opis = QStringLiteral("Tu sie konczy");
    }
};

// On record files that fail on demand.
using SessionRig = SessionRigOn<FaultyRecordFileFactory>;
