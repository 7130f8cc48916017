// Fuzz target: a scenario pair of any bytes opened and read as both programs read it.
//
// The input is the situation file's length (4 bytes, little-endian, taken modulo what is
// left), the situation file, then the list file.

#include "common/Description.h"
#include "common/ScenarioFiles.h"
#include "editor/model/ScenarioState.h"
#include "fuzz/FuzzTarget.h"
#include "platform/core/AppError.h"
#include "platform/core/PosixRecordFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>

namespace {

bool writeFile(const QString& path, const char* bytes, qint64 size) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes, size) == size;
}

// The player: situation 1, then every target it offers, as the choices would.
void play(const QString& kro) {
    PosixRecordFileFactory files;
    ScenarioPair pair(files);
    try {
        pair.openExisting(kro, RecordFile::Access::ReadOnly);
        TRekordKroku rekord;
        TRekordListy lista;
        pair.read(1, rekord, lista);
        TKrok krok;
        krok.ZRekordu(rekord);
        for (int wybor = 1; wybor <= choicesOffered(lista.Typ); ++wybor) {
            try {
                pair.read(krok.cel(wybor), rekord, lista);
            } catch (const AppError&) {
            }
        }
    } catch (const AppError&) {
    }
}

// The editor: open, the names list and grid, situation 1 shown with its targets' names,
// then every situation in turn.
void edit(const QString& kro) {
    PosixRecordFileFactory files;
    ScenarioState state(files);
    try {
        state.bind(kro);
        state.openExisting();
        if (state.situationFileEmpty())
            return;
        ScenarioList list;
        state.OdswiezSpis(list);
        state.goTo(1);
        for (int wybor = 1; wybor <= 4; ++wybor) {
            try {
                (void)state.targetName(state.krok().cel(wybor));
            } catch (const AppError&) {
            }
        }
        (void)Description::shown(state.krok().Opis.text());
        while (state.next() == ScenarioState::Move::Moved) {
        }
    } catch (const AppError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir dir;
    if (size < 4 || !dir.isValid())
        return 0;
    const std::size_t rest = size - 4;
    const std::uint32_t stated = std::uint32_t(data[0]) | std::uint32_t(data[1]) << 8 |
                                 std::uint32_t(data[2]) << 16 | std::uint32_t(data[3]) << 24;
    const std::size_t kroSize = rest == 0 ? 0 : stated % (rest + 1);
    const char* bytes = reinterpret_cast<const char*>(data + 4);
    const QString kro = dir.filePath(QStringLiteral("f.Kro"));
    if (!writeFile(kro, bytes, qint64(kroSize)) ||
        !writeFile(listFilePath(kro), bytes + kroSize, qint64(rest - kroSize)))
        return 0;
    play(kro);
    edit(kro);
    return 0;
}
