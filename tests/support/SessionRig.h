#pragma once
// The editor's session as the editor runs it, over a scripted view and record files (ones
// that can fail, or the real ones), with the rewrite of a whole scenario the editor gives it.

#include "authoring/Restructuring.h"
#include "editor/model/EditorSession.h"
#include "platform/core/AppError.h"
#include "tests/support/FaultyRecordFile.h"
#include "tests/support/ScriptedEditorView.h"

#include <QDateTime>
#include <QStringList>

template <class Files> struct SessionRigOn {
    Files files;
    ScriptedEditorView view;
    // The versions the session asked to keep, by their reasons, at the fake time `now`; with
    // `keepFails` each keep fails as on a full disk.
    QDateTime now{QDate(2026, 12, 9), QTime(10, 0), Qt::UTC};
    QStringList kept;
    bool keepFails = false;
    VersionSchedule schedule{[this](const QString&, const QString& reason) {
                                 if (keepFails)
                                     throw AppError(AppError::Other,
                                                    QStringLiteral("Brak miejsca na dysku"));
                                 kept.append(reason);
                             },
                             [this] { return now; }};
    EditorSession session{files, view,
                          [this](const QString& path, const EditorSession::RecordsChange& change,
                                 const ScenarioState::Progress& progress) {
                              return restructureScenario(
                                  files, path,
                                  [&](ScenarioSnapshot& snapshot) {
                                      return change(snapshot.rekordy, snapshot.listy);
                                  },
                                  progress);
                          },
                          schedule};

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
