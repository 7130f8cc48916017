// Two programs on one scenario: a player reading while the editor saves, and an editor killed
// while it saves.

#include "AppError.h"
#include "ObEdKrok.h"
#include "PosixRecordFile.h"
#include "Records.h"
#include "ScenarioFiles.h"
#include "TestFiles.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {

constexpr int Situations = 4; // 0 to 3; the saves rewrite 1 to 3

// Version `v` (0 or 1) of situation k: every field differs between the two versions.
struct Version {
    TRekordKroku rekord;
    TRekordListy lista;
    std::uint8_t typ;
};

Version version(int k, int v) {
    Version out;
    TKrok krok;
    const QString name = QStringLiteral("S%1 v%2").arg(k).arg(v);
    const QString filler(v ? u'x' : u'o');
    krok.Ustaw(name, filler.repeated(45), filler.repeated(45), filler.repeated(45),
               filler.repeated(45), filler.repeated(250), filler.repeated(20), k, v, -1, 7 * v);
    krok.Wav.assign(filler.repeated(20));
    krok.DoRekordu(out.rekord);
    out.typ = v ? Wybory2 : Wybory3;
    // What a write puts into the list record.
    out.lista.Nazwa.assign(out.rekord.Nazwa);
    out.lista.Typ = out.typ;
    return out;
}

QByteArray bytesOf(const void* record, int size) {
    return QByteArray(static_cast<const char*>(record), size);
}

// The child: saves situations 1, 2, 3 in turn, each time in its other version, for ever
// (until killed). `pauseMicros` > 0 waits up to that long between saves.
int saveLoop(const QString& kro, int pauseMicros) {
    PosixRecordFileFactory files;
    ScenarioPair pair(files);
    try {
        pair.openExisting(kro, RecordFile::Access::ReadWrite);
        std::fputs("ready\n", stdout);
        std::fflush(stdout);
        for (int i = 0;; ++i) {
            const int k = 1 + i % 3;
            Version next = version(k, 1 - (i / 3) % 2);
            pair.write(k, next.rekord, next.lista, next.typ);
            if (pauseMicros > 0)
                std::this_thread::sleep_for(
                    std::chrono::microseconds(QRandomGenerator::global()->bounded(pauseMicros)));
        }
    } catch (const AppError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}

} // namespace

class TestProcesses : public QObject {
    Q_OBJECT

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        kro_ = dir_->filePath(QStringLiteral("Las.Kro"));
        QVERIFY(writeFile(kro_, QByteArray(Situations * TRekordKroku::Size, '\0')));
        QVERIFY(writeFile(listFilePath(kro_), QByteArray(Situations * TRekordListy::Size, '\0')));
        PosixRecordFileFactory files;
        ScenarioPair pair(files);
        pair.openExisting(kro_, RecordFile::Access::ReadWrite);
        for (int k = 0; k < Situations; ++k) {
            Version v = version(k, 0);
            pair.write(k, v.rekord, v.lista, v.typ);
        }
        pair.close();
    }

    // The player reads a situation while another process saves it again and again: the
    // situation record and the list record it reads are always of the same save.
    void readerNeverMixesTwoSaves() {
        QProcess writer;
        startSaver(writer, 300);
        PosixRecordFileFactory files;
        ScenarioPair pair(files);
        pair.openExisting(kro_, RecordFile::Access::ReadOnly);
        int seen[2] = {0, 0};
        int mixed = 0;
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 1500) {
            TRekordKroku rekord;
            TRekordListy lista;
            pair.read(1, rekord, lista);
            const int v = rekord.Nazwa.text().endsWith(u'1') ? 1 : 0;
            ++seen[v];
            const Version expected = version(1, v);
            if (bytesOf(&rekord, TRekordKroku::Size) !=
                    bytesOf(&expected.rekord, TRekordKroku::Size) ||
                bytesOf(&lista, TRekordListy::Size) != bytesOf(&expected.lista, TRekordListy::Size))
                ++mixed;
        }
        pair.close();
        writer.kill();
        writer.waitForFinished();
        qInfo("%d reads during saves, %d of one version, %d of the other, %d mixed",
              seen[0] + seen[1], seen[0], seen[1], mixed);
        QVERIFY2(seen[0] > 0 && seen[1] > 0, "the saves and the reads did not overlap");
        QCOMPARE(mixed, 0);
    }

    // An editor killed at a random moment of saving leaves every record whole: each one is
    // the old or the new version of its situation, and the files keep their length.
    void killedSaveLeavesWholeRecords() {
        QElapsedTimer timer;
        timer.start();
        int iterations = 0;
        int betweenTheTwoWrites = 0;
        while (iterations < 200 && timer.elapsed() < 8000) {
            QProcess saver;
            startSaver(saver, 0);
            QTest::qSleep(int(QRandomGenerator::global()->bounded(12)));
            saver.kill();
            QVERIFY(saver.waitForFinished());
            ++iterations;
            const QByteArray kro = readFile(kro_);
            const QByteArray lis = readFile(listFilePath(kro_));
            QCOMPARE(kro.size(), Situations * TRekordKroku::Size);
            QCOMPARE(lis.size(), Situations * TRekordListy::Size);
            for (int k = 1; k < Situations; ++k) {
                const QByteArray r = kro.mid(k * TRekordKroku::Size, TRekordKroku::Size);
                const QByteArray l = lis.mid(k * TRekordListy::Size, TRekordListy::Size);
                int rv = -1;
                int lv = -1;
                for (int v = 0; v < 2; ++v) {
                    const Version expected = version(k, v);
                    if (r == bytesOf(&expected.rekord, TRekordKroku::Size))
                        rv = v;
                    if (l == bytesOf(&expected.lista, TRekordListy::Size))
                        lv = v;
                }
                QVERIFY2(
                    rv >= 0 && lv >= 0,
                    qPrintable(
                        QStringLiteral("situation %1 torn after %2 kills").arg(k).arg(iterations)));
                if (rv != lv)
                    ++betweenTheTwoWrites;
            }
        }
        qInfo("%d kills, every record whole; %d killed between a situation's two writes",
              iterations, betweenTheTwoWrites);
        QVERIFY(iterations >= 20);
    }

private:
    void startSaver(QProcess& process, int pauseMicros) {
        process.start(QCoreApplication::applicationFilePath(),
                      {QStringLiteral("--save-loop"), kro_, QString::number(pauseMicros)});
        QVERIFY(process.waitForStarted());
        QVERIFY(process.waitForReadyRead(30000));
        QCOMPARE(process.readLine(), QByteArray("ready\n"));
    }

    std::unique_ptr<QTemporaryDir> dir_;
    QString kro_;
};

int main(int argc, char* argv[]) {
    if (argc == 4 && std::strcmp(argv[1], "--save-loop") == 0)
        return saveLoop(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));
    QCoreApplication app(argc, argv);
    TestProcesses tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_processes.moc"
