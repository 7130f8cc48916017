#pragma once
// The demo scenario "Zamek": its situations, pictures and sounds, written into a folder.

#include <QString>

namespace DemoScenario {

// The situation file of the demo inside its folder; the list file is Zamek.lis beside it.
inline const QString SituationFileName = QStringLiteral("Zamek.Kro");

// Writes the demo into `folder` (created when missing): Zamek.Kro and Zamek.lis from the story's
// text (tools/demo/Zamek.txt, compiled in), the pictures into Obrazki/ and the sounds into
// Dzwieki/. Every byte follows from the sources alone, so two runs give the same files. Throws
// AppError when a file cannot be written and std::logic_error when the story's text has a
// fault (its line, column and what was expected).
void write(const QString& folder);

} // namespace DemoScenario
