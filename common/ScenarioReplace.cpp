// Replacing a whole scenario pair, all or nothing, through its lock and a journal.

#include "common/ScenarioFiles.h"

#include "platform/core/AppError.h"
#include "platform/core/FileSystem.h"
#include "platform/core/OutputFiles.h"
#include "platform/core/PosixRecordFile.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <vector>

bool fileHoldsExactly(const QString& path, const QByteArray& expected) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return expected.isEmpty();
    if (file.size() != expected.size())
        return false;
    constexpr qint64 kBlock = 1 << 20;
    QByteArray block(std::min<qint64>(kBlock, expected.size()), Qt::Uninitialized);
    for (qint64 at = 0; at < expected.size();) {
        const qint64 got = file.read(block.data(), std::min<qint64>(kBlock, expected.size() - at));
        if (got <= 0 || std::memcmp(block.constData(), expected.constData() + at, size_t(got)) != 0)
            return false;
        at += got;
    }
    // A file that grew since its size was taken holds more than expected.
    char more = 0;
    return file.read(&more, 1) <= 0;
}

void refuseUnreplaceable(const QString& situationFilePath) {
    for (const QString& path : {situationFilePath, listFilePath(situationFilePath)}) {
        const OutputFiles::Kind kind = OutputFiles::kindAt(path);
        if (kind != OutputFiles::Kind::Nothing && kind != OutputFiles::Kind::RegularFile)
            throw AppError(AppError::Other, OutputFiles::refusalFor(path, kind));
    }
    const QString journal = SaveJournal::pathFor(situationFilePath);
    if (FileSystem::entryExists(journal))
        throw AppError(AppError::Other,
                       QStringLiteral("%1: scenariusz ma niedokończony zapis (%2); otwórz go "
                                      "najpierw w edytorze")
                           .arg(situationFilePath, journal));
}

void replaceScenario(const QString& situationFilePath, const QByteArray& situations,
                     const QByteArray& list, const PairContent* readBefore) {
    const QString kro = situationFilePath;
    const QString lis = listFilePath(kro);
    if (FileSystem::sameFile(kro, lis))
        throw AppError(AppError::InvalidFileName);
    const qsizetype records = situations.size() / TRekordKroku::Size;
    if (situations.size() % TRekordKroku::Size != 0 || list.size() % TRekordListy::Size != 0 ||
        list.size() / TRekordListy::Size != records)
        throw AppError(AppError::Other, QStringLiteral("%1: pliki pary nie są w parze").arg(kro));
    if (records > MaxSituations)
        throw AppError(AppError::Other, TooLargeMessage);

    // Everything that can refuse the replace is looked at before either file is touched.
    refuseUnreplaceable(kro);
    const QString journalPath = SaveJournal::pathFor(kro);
    const QString folder = QFileInfo(kro).absolutePath();
    if (FileSystem::writeForbidden(folder))
        throw AppError(
            AppError::Other,
            QStringLiteral("%1: %2").arg(folder, AppError::messageForCode(AppError::AccessDenied)));

    // The pair's lock keeps the editor's saves and the players' reads out meanwhile.
    PosixRecordFile locked;
    bool haveLock = false;
    if (OutputFiles::kindAt(kro) == OutputFiles::Kind::RegularFile) {
        try {
            locked.open(kro, TRekordKroku::Size, RecordFile::Access::ReadWrite);
            haveLock = locked.lock(RecordFile::Lock::Exclusive);
        } catch (const AppError&) {
            // A file the user may not write is still replaced by a rename in the folder.
        }
        if (locked.isOpen() && !haveLock)
            throw AppError(AppError::Other, ScenarioPair::BusyMessage);
    }
    if (readBefore && (!fileHoldsExactly(kro, readBefore->situations) ||
                       !fileHoldsExactly(lis, readBefore->list)))
        throw AppError(AppError::Other,
                       QStringLiteral("%1: inny program zmienił scenariusz, odkąd został "
                                      "wczytany; nic nie zostało zapisane, spróbuj ponownie")
                           .arg(kro));

    // New files wait whole beside the pair. What an earlier replace stopped before its
    // journal left there is a leftover of ours and goes first (a link is removed, never
    // followed).
    const std::pair<QString, const QByteArray*> files[] = {{kro, &situations}, {lis, &list}};
    std::vector<QString> staged;
    bool journalWritten = false;
    try {
        for (const auto& [path, bytes] : files) {
            const QString at = ReplaceJournal::stagedPath(path);
            const OutputFiles::Kind kind = OutputFiles::kindAt(at);
            if (kind == OutputFiles::Kind::RegularFile || QFileInfo(at).isSymLink())
                OutputFiles::removeEntry(at);
            OutputFiles::writeNew(at, *bytes, path);
            staged.push_back(at);
        }
        ReplaceJournal journal;
        journal.situationBytes = situations.size();
        journal.listBytes = list.size();
        OutputFiles::writeNew(journalPath, journal.encode());
        journalWritten = true;
        OutputFiles::syncFolder(folder);
    } catch (...) {
        if (journalWritten)
            QFile::remove(journalPath);
        for (const QString& at : staged)
            QFile::remove(at);
        throw;
    }
    // From here the journal finishes the replace at the next open, whatever stops this one.
    OutputFiles::renameOver(ReplaceJournal::stagedPath(kro), kro);
    OutputFiles::renameOver(ReplaceJournal::stagedPath(lis), lis);
    OutputFiles::syncFolder(folder);
    OutputFiles::removeEntry(journalPath);
    OutputFiles::syncFolder(folder);
}
