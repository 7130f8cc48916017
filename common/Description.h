#pragma once
// A situation's description as both programs show it.

#include <QString>

namespace Description {

// The stored description `stored` as shown: a CR LF pair and a lone LF are one line break
// ("\n"). A lone CR is not a line break and stays the CR it is: the descriptions were
// written in an edit control where only CR LF breaks a line, and showing a CR as a break
// would let a load and a save change a description's bytes. Never fails.
QString shown(const QString& stored);

} // namespace Description
