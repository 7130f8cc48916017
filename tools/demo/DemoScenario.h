#pragma once
// The demo scenario "Zamek": its situations, pictures and sounds, written into a folder.

#include <QString>

namespace DemoScenario {

// The situation file of the demo inside its folder; the list file is Zamek.lis beside it.
inline const QString SituationFileName = QStringLiteral("Zamek.Kro");

// Writes the demo into `folder` (created when missing): Zamek.Kro and Zamek.lis through the
// scenario file pair, the pictures into Obrazki/ and the sounds into Dzwieki/. Every byte
// follows from the code alone, so two runs give the same files. Throws AppError when a file
// cannot be written and std::logic_error when a text does not fit its field.
void write(const QString& folder);

} // namespace DemoScenario
