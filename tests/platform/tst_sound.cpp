#include "platform/core/Adpcm.h"
#include "platform/core/AppError.h"
#include "platform/core/MediaFile.h"
#include "platform/core/WavHeader.h"
#include "platform/media/QtSoundDevice.h"
#include "platform/ui/SoundControl.h"
#include "tests/support/ByteWriters.h"
#include "tests/support/ExpectError.h"
#include "tests/support/FakeSoundDevice.h"
#include "tests/support/MediaBuilders.h"
#include "tests/support/SoundButtons.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QtEndian>
#include <cmath>
#include <sys/stat.h>

using State = SoundDevice::State;
using Position = FakeSoundDevice::Position;

namespace {

QString stateName(State state) {
    switch (state) {
    case State::Closed:
        return "Closed";
    case State::Stopped:
        return "Stopped";
    case State::Playing:
        return "Playing";
    }
    return "?";
}

QString positionName(Position position) {
    switch (position) {
    case Position::Start:
        return "start";
    case Position::Inside:
        return "inside";
    case Position::End:
        return "end";
    }
    return "?";
}

// Runs one step of a sequence on the control: its operations, the buttons
// ("click..."), or the end of the sound ("end").
void runStep(SoundControl& control, FakeSoundDevice& device, const QString& step) {
    if (step == "open")
        control.open();
    else if (step == "close")
        control.close();
    else if (step == "play")
        control.play();
    else if (step == "stop")
        control.stop();
    else if (step == "prev")
        control.prev();
    else if (step == "end")
        device.finishPlayback();
    else if (step.startsWith("click"))
        QTest::mouseClick(control.findChild<QPushButton*>(step.mid(5)), Qt::LeftButton);
    else
        QFAIL(qPrintable("unknown step " + step));
}

// 16-bit mono samples: the largest RMS over windows of 10 ms, as a fraction of full scale.
double loudestWindow(const QByteArray& raw, int rate) {
    const int window = rate / 100;
    const int count = static_cast<int>(raw.size() / 2);
    double loudest = 0;
    for (int start = 0; start + window <= count; start += window) {
        double sum = 0;
        for (int i = start; i < start + window; ++i) {
            const double v = qFromLittleEndian<qint16>(raw.constData() + 2 * i) / 32768.0;
            sum += v * v;
        }
        loudest = std::max(loudest, std::sqrt(sum / window));
    }
    return loudest;
}

bool haveSink() {
    return qEnvironmentVariableIsSet("KIT_TEST_SINK");
}

} // namespace

class TestSound : public QObject {
    Q_OBJECT

private slots:
    void init() { dir_.renew(); }

    void wavHeader_data();
    void wavHeader();

    void adpcmBlocksHoldTheirHeaders_data();
    void adpcmBlocksHoldTheirHeaders();

    void controlSequence_data();
    void controlSequence();
    void failedOpen_data();
    void failedOpen();
    void disabledControlKeepsButtonStates_data();
    void disabledControlKeepsButtonStates();
    void buttonsShareTheControl();

    void realDeviceRefusesAtOnce_data();
    void realDeviceRefusesAtOnce();
    void realDeviceRefusesPastTheLimitOrAPipe_data();
    void realDeviceRefusesPastTheLimitOrAPipe();
    void realDeviceWithoutFile();
    void realDevicePlaysToEndAndAgain();
    void realDeviceStopKeepsPosition();
    void realSoundReachesTheSink();

private:
    TestFolder dir_;
};

void TestSound::wavHeader_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("playable");

    const QByteArray fmt16 = fmtChunk(1, 1, 22050, 16);
    const QByteArray data = riffChunk("data", QByteArray(100, '\0'));
    const QByteArray good = riffWave(fmt16 + data);

    QTest::newRow("16-bit mono") << good << true;
    QTest::newRow("8-bit stereo") << riffWave(fmtChunk(1, 2, 8000, 8) + data) << true;
    QTest::newRow("24-bit") << riffWave(fmtChunk(1, 2, 48000, 24) + data) << true;
    QTest::newRow("32-bit float") << riffWave(fmtChunk(3, 1, 44100, 32) + data) << true;
    const QByteArray extensible = fmtBody(0xFFFE, 2, 44100, 16) + le16(22) + le16(16) + le32(3) +
                                  le16(1) + QByteArray(14, 'x');
    QTest::newRow("extensible PCM") << riffWave(riffChunk("fmt ", extensible) + data) << true;
    QTest::newRow("chunk before fmt")
        << riffWave(riffChunk("LIST", "INFOabcd") + fmt16 + data) << true;
    QTest::newRow("odd chunk padded") << riffWave(fmt16 + riffChunk("note", "abc") + data) << true;
    QTest::newRow("18-byte fmt") << riffWave(riffChunk("fmt ", fmtBody(1, 1, 8000, 16) + le16(0)) +
                                             data)
                                 << true;
    QTest::newRow("data longer than file") << good.left(good.size() - 50) << true;

    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("text") << QByteArray("To jest zwykly tekst, nie dzwiek.\r\n") << false;
    QTest::newRow("RIFF only") << QByteArray("RIFF") << false;
    QTest::newRow("no chunks") << riffWave({}) << false;
    QTest::newRow("cut in fmt") << good.left(12 + 8 + 10) << false;
    QTest::newRow("cut before data") << riffWave(fmt16) << false;
    QTest::newRow("cut in data header") << good.left(12 + fmt16.size() + 6) << false;
    QTest::newRow("AVI") << QByteArray("RIFF" + le32(100) + "AVI " + fmt16 + data) << false;
    QTest::newRow("big-endian RIFX") << QByteArray("RIFX" + good.mid(4)) << false;
    QTest::newRow("data before fmt") << riffWave(data + fmt16) << false;
    QTest::newRow("no fmt") << riffWave(data) << false;
    QTest::newRow("short fmt") << riffWave(riffChunk("fmt ", fmtBody(1, 1, 8000, 16).left(14)) +
                                           data)
                               << false;
    QTest::newRow("MPEG layer 3") << riffWave(fmtChunk(0x55, 2, 44100, 0) + data) << false;
    const auto coded = [&](quint16 tag, quint16 channels, quint32 rate, quint16 bits,
                           quint16 blockAlign) {
        QByteArray body = fmtBody(tag, channels, rate, bits);
        body.replace(12, 2, le16(blockAlign));
        return riffWave(riffChunk("fmt ", body) + data);
    };
    QTest::newRow("A-law") << coded(6, 1, 8000, 8, 1) << true;
    QTest::newRow("u-law stereo") << coded(7, 2, 22050, 8, 2) << true;
    QTest::newRow("MS ADPCM") << coded(2, 1, 22050, 4, 512) << true;
    QTest::newRow("IMA ADPCM stereo") << coded(0x11, 2, 44100, 4, 2048) << true;
    QTest::newRow("GSM 6.10") << coded(0x31, 1, 8000, 0, 65) << true;
    QTest::newRow("A-law 6 kHz") << coded(6, 1, 6000, 8, 1) << false;
    QTest::newRow("u-law 16-bit") << coded(7, 1, 8000, 16, 2) << false;
    QTest::newRow("MS ADPCM block shorter than its header") << coded(2, 2, 22050, 4, 13) << false;
    QTest::newRow("IMA ADPCM 3-bit") << coded(0x11, 1, 8000, 3, 256) << false;
    QTest::newRow("IMA ADPCM 3 channels") << coded(0x11, 3, 8000, 4, 768) << false;
    QTest::newRow("GSM stereo") << coded(0x31, 2, 8000, 0, 65) << false;
    QTest::newRow("ADPCM without block size") << riffWave(fmtChunk(2, 1, 22050, 4) + data) << false;
    QTest::newRow("12-bit PCM") << riffWave(fmtChunk(1, 1, 8000, 12) + data) << false;
    QTest::newRow("no channels") << riffWave(fmtChunk(1, 0, 8000, 16) + data) << false;
    QTest::newRow("rate 0") << riffWave(fmtChunk(1, 1, 0, 16) + data) << false;
    QTest::newRow("chunk past end") << riffWave(fmt16 + "LIST" + le32(1000) + "abcd") << false;
    QTest::newRow("huge chunk size") << riffWave(fmt16 + "LIST" + le32(0xFFFFFFFF) + data) << false;
}

void TestSound::wavHeader() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, playable);
    QBuffer buffer(&bytes);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    QCOMPARE(WavHeader::isPlayable(buffer), playable);
}

// Every ADPCM block starts with its channels' headers (IMA: 4 bytes a channel, Microsoft: 7);
// data whose blocks, or whose last block, are shorter cannot be decoded, while whole blocks
// and a last block of its headers alone decode to their frames.
void TestSound::adpcmBlocksHoldTheirHeaders_data() {
    QTest::addColumn<int>("tag");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("blockAlign");
    QTest::addColumn<int>("dataBytes");
    QTest::addColumn<int>("frames"); // -1: cannot be decoded

    // IMA: one frame in the header, eight a group of four bytes a channel.
    QTest::newRow("IMA mono, two blocks") << 0x11 << 1 << 36 << 72 << 2 * 65;
    QTest::newRow("IMA mono, last block its header alone") << 0x11 << 1 << 36 << 40 << 66;
    QTest::newRow("IMA mono, last block shorter than its header") << 0x11 << 1 << 36 << 39 << -1;
    QTest::newRow("IMA mono, less than one header") << 0x11 << 1 << 36 << 3 << -1;
    QTest::newRow("IMA stereo, last block shorter than its headers")
        << 0x11 << 2 << 72 << 72 + 7 << -1;
    QTest::newRow("IMA stereo, block align below its headers") << 0x11 << 2 << 7 << 70 << -1;
    // Microsoft: two frames in the header, two a byte after it.
    QTest::newRow("MS mono, two blocks") << 2 << 1 << 32 << 64 << 2 * 52;
    QTest::newRow("MS mono, last block shorter than its header") << 2 << 1 << 32 << 32 + 6 << -1;
    QTest::newRow("MS stereo, last block shorter than its headers")
        << 2 << 2 << 64 << 64 + 13 << -1;
    QTest::newRow("MS stereo, block align below its headers") << 2 << 2 << 13 << 65 << -1;
}

void TestSound::adpcmBlocksHoldTheirHeaders() {
    QFETCH(int, tag);
    QFETCH(int, channels);
    QFETCH(int, blockAlign);
    QFETCH(int, dataBytes);
    QFETCH(int, frames);
    WavHeader::Format format;
    format.tag = quint16(tag);
    format.channels = quint16(channels);
    format.rate = 8000;
    format.blockAlign = quint16(blockAlign);
    format.bits = 4;
    QByteArray pcm = Adpcm::toPcmWav(format, QByteArray(dataBytes, '\0'));
    if (frames < 0) {
        QCOMPARE(pcm, QByteArray());
        return;
    }
    QBuffer buffer(&pcm);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    const auto decoded = WavHeader::read(buffer);
    QVERIFY(decoded);
    QCOMPARE(decoded->channels, format.channels);
    QCOMPARE(qint64(decoded->dataSize), qint64(frames) * channels * 2);
}

void TestSound::controlSequence_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("deviceType");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("buttons");
    QTest::addColumn<QString>("position");
    QTest::addColumn<QStringList>("calls");

    const QString wav = "/gra/Dzwieki/las.wav";
    const QString opened = "open(/gra/Dzwieki/las.wav, WaveAudio)";

    QTest::newRow("new control") << wav << "WaveAudio" << QStringList{} << "Closed"
                                 << "---"
                                 << "start" << QStringList{};
    QTest::newRow("open") << wav << "WaveAudio" << QStringList{"open"} << "Stopped"
                          << "P-R"
                          << "start" << QStringList{opened};
    QTest::newRow("player's device type") << "las.wav"
                                          << "" << QStringList{"open"} << "Stopped"
                                          << "P-R"
                                          << "start" << QStringList{"open(las.wav, )"};
    QTest::newRow("open without file plays nothing")
        << ""
        << "WaveAudio" << QStringList{"open", "play"} << "Stopped"
        << "P-R"
        << "start" << QStringList{"open(, WaveAudio)", "play"};
    QTest::newRow("play") << wav << "WaveAudio" << QStringList{"open", "play"} << "Playing"
                          << "-SR"
                          << "inside" << QStringList{opened, "play"};
    QTest::newRow("end of playback")
        << wav << "WaveAudio" << QStringList{"open", "play", "end"} << "Stopped"
        << "P-R"
        << "end" << QStringList{opened, "play"};
    QTest::newRow("play after the end")
        << wav << "WaveAudio" << QStringList{"open", "play", "end", "play"} << "Playing"
        << "-SR"
        << "inside" << QStringList{opened, "play", "play"};
    QTest::newRow("stop keeps the position")
        << wav << "WaveAudio" << QStringList{"open", "play", "stop"} << "Stopped"
        << "P-R"
        << "inside" << QStringList{opened, "play", "stop"};
    QTest::newRow("prev after stop")
        << wav << "WaveAudio" << QStringList{"open", "play", "stop", "prev"} << "Stopped"
        << "P-R"
        << "start" << QStringList{opened, "play", "stop", "rewind"};
    QTest::newRow("prev while playing")
        << wav << "WaveAudio" << QStringList{"open", "play", "prev"} << "Stopped"
        << "P-R"
        << "start" << QStringList{opened, "play", "rewind"};
    QTest::newRow("open while open closes first")
        << wav << "WaveAudio" << QStringList{"open", "play", "open"} << "Stopped"
        << "P-R"
        << "start" << QStringList{opened, "play", "close", opened};
    QTest::newRow("close while playing")
        << wav << "WaveAudio" << QStringList{"open", "play", "close"} << "Closed"
        << "---"
        << "inside" << QStringList{opened, "play", "close"};
    QTest::newRow("close keeps the file name")
        << wav << "WaveAudio" << QStringList{"open", "close", "open"} << "Stopped"
        << "P-R"
        << "start" << QStringList{opened, "close", opened};
    QTest::newRow("close when closed") << wav << "WaveAudio" << QStringList{"close"} << "Closed"
                                       << "---"
                                       << "start" << QStringList{};
    QTest::newRow("buttons") << wav << "WaveAudio"
                             << QStringList{"open", "clickPlay", "clickStop", "clickPrev"}
                             << "Stopped"
                             << "P-R"
                             << "start" << QStringList{opened, "play", "stop", "rewind"};
    QTest::newRow("play button after the end")
        << wav << "WaveAudio" << QStringList{"open", "clickPlay", "end", "clickPlay"} << "Playing"
        << "-SR"
        << "inside" << QStringList{opened, "play", "play"};
    QTest::newRow("disabled buttons do nothing")
        << wav << "WaveAudio" << QStringList{"clickPlay", "clickStop", "clickPrev", "open",
                                             "clickStop", "clickPlay", "clickPlay"}
        << "Playing"
        << "-SR"
        << "inside" << QStringList{opened, "play"};
}

void TestSound::controlSequence() {
    QFETCH(QString, fileName);
    QFETCH(QString, deviceType);
    QFETCH(QStringList, steps);
    QFETCH(QString, state);
    QFETCH(QString, buttons);
    QFETCH(QString, position);
    QFETCH(QStringList, calls);

    auto log = std::make_shared<FakeSoundLog>();
    SoundControl control(std::make_unique<FakeSoundDevice>(log));
    control.resize(85, 23);
    control.show();
    QVERIFY(QTest::qWaitForWindowExposed(&control));
    control.setFileName(fileName);
    control.setDeviceType(deviceType);

    for (const QString& step : steps) {
        runStep(control, *log->device, step);
        if (QTest::currentTestFailed())
            return;
    }

    QCOMPARE(stateName(control.state()), state);
    QCOMPARE(stateName(log->device->state()), state);
    QCOMPARE(enabledButtons(control), buttons);
    QCOMPARE(positionName(log->device->position()), position);
    QCOMPARE(log->calls, calls);
    QCOMPARE(control.fileName(), fileName);
    QCOMPARE(control.isOpen(), state != "Closed");
}

void TestSound::failedOpen_data() {
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("calls");

    const QString opened = "open(las.wav, WaveAudio)";
    QTest::newRow("closed") << QStringList{} << QStringList{opened};
    QTest::newRow("open") << QStringList{"open"} << QStringList{opened, "close", opened};
    QTest::newRow("playing") << QStringList{"open", "play"}
                             << QStringList{opened, "play", "close", opened};
}

void TestSound::failedOpen() {
    QFETCH(QStringList, before);
    QFETCH(QStringList, calls);

    auto log = std::make_shared<FakeSoundLog>();
    SoundControl control(std::make_unique<FakeSoundDevice>(log));
    control.setFileName("las.wav");
    control.setDeviceType("WaveAudio");
    for (const QString& step : before)
        runStep(control, *log->device, step);

    const QString text = "There is no driver installed on your system.";
    log->refuseNextOpen = text;
    expectError(AppError::Other, text, [&] { control.open(); });
    QCOMPARE(control.state(), State::Closed);
    QCOMPARE(enabledButtons(control), "---");
    QCOMPARE(control.fileName(), "las.wav");
    QCOMPARE(log->calls, calls);

    // The refusal was for one open only.
    control.open();
    QCOMPARE(control.state(), State::Stopped);
    QCOMPARE(enabledButtons(control), "P-R");
}

void TestSound::disabledControlKeepsButtonStates_data() {
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("whileDisabled");
    QTest::addColumn<QString>("buttons");

    QTest::newRow("closed") << QStringList{} << QStringList{} << "---";
    QTest::newRow("open") << QStringList{"open"} << QStringList{} << "P-R";
    QTest::newRow("playing") << QStringList{"open", "play"} << QStringList{} << "-SR";
    QTest::newRow("opened while disabled") << QStringList{} << QStringList{"open"} << "P-R";
    QTest::newRow("ended while disabled")
        << QStringList{"open", "play"} << QStringList{"end"} << "P-R";
    QTest::newRow("closed while disabled")
        << QStringList{"open", "play"} << QStringList{"close"} << "---";
}

void TestSound::disabledControlKeepsButtonStates() {
    QFETCH(QStringList, before);
    QFETCH(QStringList, whileDisabled);
    QFETCH(QString, buttons);

    auto log = std::make_shared<FakeSoundLog>();
    SoundControl control(std::make_unique<FakeSoundDevice>(log));
    control.setFileName("las.wav");
    for (const QString& step : before)
        runStep(control, *log->device, step);
    control.setEnabled(false);
    for (const QString& step : whileDisabled)
        runStep(control, *log->device, step);
    QCOMPARE(enabledButtons(control), "---");

    control.setEnabled(true);
    QCOMPARE(enabledButtons(control), buttons);
}

void TestSound::buttonsShareTheControl() {
    SoundControl control(std::make_unique<FakeSoundDevice>());
    control.resize(85, 23);
    control.show();
    QVERIFY(QTest::qWaitForWindowExposed(&control));

    const QList<QPushButton*> buttons{control.findChild<QPushButton*>("Play"),
                                      control.findChild<QPushButton*>("Stop"),
                                      control.findChild<QPushButton*>("Prev")};
    QCOMPARE(buttons, (QList<QPushButton*>{control.playButton(), control.stopButton(),
                                           control.prevButton()}));
    int x = 0;
    for (QPushButton* b : buttons) {
        QCOMPARE(b->geometry().left(), x);
        QCOMPARE(b->geometry().top(), 0);
        QCOMPARE(b->height(), 23);
        QVERIFY2(b->width() >= 27, qPrintable(QString::number(b->width())));
        QVERIFY(!b->icon().isNull());
        x = b->geometry().right() + 1;
    }
    QCOMPARE(x, 85);
}

void TestSound::realDeviceRefusesAtOnce_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("deviceType");
    QTest::addColumn<bool>("openFirst");
    QTest::addColumn<QString>("error");

    const QByteArray good = toneWav(100);
    const QString bad = QtSoundDevice::CannotPlayFileText;
    QTest::newRow("text named .wav")
        << "tekst.wav" << QByteArray("Ala ma kota.\r\n") << "WaveAudio" << false << bad;
    QTest::newRow("header cut") << "ucięty.wav" << good.left(30) << "WaveAudio" << false << bad;
    QTest::newRow("header cut, device open")
        << "ucięty.wav" << good.left(30) << "WaveAudio" << true << bad;
    QTest::newRow("empty file") << "pusty.wav" << QByteArray() << "" << false << bad;
    QTest::newRow("unknown format")
        << "mp3.wav" << riffWave(fmtChunk(0x55, 2, 44100, 0) + riffChunk("data", QByteArray(64, 1)))
        << "WaveAudio" << false << bad;
    QTest::newRow("missing file") << "" << QByteArray() << "WaveAudio" << true
                                  << QtSoundDevice::FileNotFoundText;
    QTest::newRow("extension without device type")
        << "dobry.mp3" << good << "" << false << QtSoundDevice::UnknownExtensionText;
    QTest::newRow("unknown device type")
        << "dobry.wav" << good << "Sequencer" << false << QtSoundDevice::UnknownDeviceText;
}

void TestSound::realDeviceRefusesAtOnce() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, deviceType);
    QFETCH(bool, openFirst);
    QFETCH(QString, error);

    const QString path = name.isEmpty() ? dir_.filePath("brak.wav") : dir_.write(name, bytes);
    auto device = makeQtSoundDevice();
    if (openFirst) {
        device->open({}, "WaveAudio");
        QCOMPARE(device->state(), State::Stopped);
    }
    QSignalSpy changes(device.get(), &SoundDevice::stateChanged);

    QElapsedTimer timer;
    timer.start();
    expectError(AppError::Other, error, [&] { device->open(path, deviceType); });
    // The refusal is decided before the back end sees the file; a wait for
    // the back end's own error would take seconds.
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(device->state(), State::Closed);
    QCOMPARE(changes.count(), openFirst ? 1 : 0);

    // Nothing comes later either.
    QTest::qWait(200);
    QCOMPARE(device->state(), State::Closed);
    QCOMPARE(changes.count(), openFirst ? 1 : 0);
}

void TestSound::realDeviceRefusesPastTheLimitOrAPipe_data() {
    QTest::addColumn<bool>("pipe"); // else a sound one byte past the size limit
    QTest::newRow("one byte past the limit") << false;
    QTest::newRow("named pipe") << true;
}

// Refused before the back end sees the file, which it would read to its end, or wait on.
void TestSound::realDeviceRefusesPastTheLimitOrAPipe() {
    QFETCH(bool, pipe);
    const QString path = dir_.filePath(QStringLiteral("duży.wav"));
    QVERIFY(pipe ? ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0
                 : writeFile(path, toneWav(20)) && QFile::resize(path, MediaFile::MaxBytes + 1));
    auto device = makeQtSoundDevice();
    expectError(AppError::Other,
                pipe ? QtSoundDevice::FileNotFoundText : MediaFile::tooLargeText(path),
                [&] { device->open(path, QStringLiteral("WaveAudio")); });
    QCOMPARE(device->state(), State::Closed);
}

void TestSound::realDeviceWithoutFile() {
    auto device = makeQtSoundDevice();
    QCOMPARE(device->state(), State::Closed);
    QSignalSpy changes(device.get(), &SoundDevice::stateChanged);

    device->open({}, "WaveAudio");
    QCOMPARE(device->state(), State::Stopped);
    QCOMPARE(changes.count(), 1);
    device->play();
    device->stop();
    device->rewind();
    QTest::qWait(100);
    QCOMPARE(device->state(), State::Stopped);
    QCOMPARE(changes.count(), 1);

    device->close();
    QCOMPARE(device->state(), State::Closed);
    QCOMPARE(changes.count(), 2);
    device->close();
    QCOMPARE(changes.count(), 2);
}

void TestSound::realDevicePlaysToEndAndAgain() {
    if (!haveSink())
        QSKIP("KIT_TEST_SINK is not set: no sound sink to play into (bash test.sh starts one)");
    const QString path = dir_.write("ton.WAV", toneWav(500));

    auto device = makeQtSoundDevice();
    QList<State> states;
    connect(device.get(), &SoundDevice::stateChanged, this, [&] { states << device->state(); });
    device->open(path, "");
    QCOMPARE(device->state(), State::Stopped);

    device->play();
    QCOMPARE(device->state(), State::Playing);
    QTRY_COMPARE_WITH_TIMEOUT(device->state(), State::Stopped, 15000);
    QCOMPARE(states, (QList<State>{State::Stopped, State::Playing, State::Stopped}));

    // At the end, play starts again from the start: the whole half second plays.
    QElapsedTimer timer;
    timer.start();
    device->play();
    QCOMPARE(device->state(), State::Playing);
    QTRY_COMPARE_WITH_TIMEOUT(device->state(), State::Stopped, 15000);
    QVERIFY2(timer.elapsed() >= 350, qPrintable(QString::number(timer.elapsed())));

    device->close();
    QCOMPARE(device->state(), State::Closed);
}

void TestSound::realDeviceStopKeepsPosition() {
    if (!haveSink())
        QSKIP("KIT_TEST_SINK is not set: no sound sink to play into (bash test.sh starts one)");
    const QString path = dir_.write("ton.wav", toneWav(3000));

    QtSoundDevice device;
    device.open(path, "WaveAudio");
    device.play();
    QTRY_VERIFY_WITH_TIMEOUT(device.position() >= 300, 15000);
    device.stop();
    QCOMPARE(device.state(), State::Stopped);
    QTest::qWait(100);
    const qint64 stoppedAt = device.position();
    QVERIFY2(stoppedAt >= 300, qPrintable(QString::number(stoppedAt)));

    // Stopped means paused: nothing moves on, and no end comes.
    QSignalSpy changes(&device, &SoundDevice::stateChanged);
    QTest::qWait(500);
    QVERIFY(qAbs(device.position() - stoppedAt) <= 20);
    QCOMPARE(changes.count(), 0);

    // Play goes on from there.
    device.play();
    QTRY_VERIFY_WITH_TIMEOUT(device.position() > stoppedAt + 100, 15000);
    QCOMPARE(device.state(), State::Playing);

    device.rewind();
    QCOMPARE(device.state(), State::Stopped);
    QTRY_COMPARE_WITH_TIMEOUT(device.position(), 0, 5000);
    device.close();
    QCOMPARE(device.state(), State::Closed);
}

void TestSound::realSoundReachesTheSink() {
    if (!haveSink())
        QSKIP("KIT_TEST_SINK is not set: no sound sink to record from (bash test.sh starts one)");
    const QString path = dir_.write("ton.wav", toneWav(500));

    constexpr int RecordRate = 44100;
    QProcess recorder;
    recorder.start("parec", {"-d", qEnvironmentVariable("KIT_TEST_SINK") + ".monitor",
                             "--latency-msec=20", "--raw", "--format=s16le",
                             "--rate=" + QString::number(RecordRate), "--channels=1"});
    QVERIFY2(recorder.waitForStarted(10000), qPrintable(recorder.errorString()));
    // The monitor delivers samples, silent ones, from the moment it records.
    QByteArray before;
    QTRY_VERIFY_WITH_TIMEOUT((before += recorder.readAllStandardOutput()).size() >= 2000, 15000);
    QCOMPARE(recorder.state(), QProcess::Running);

    auto device = makeQtSoundDevice();
    device->open(path, "WaveAudio");
    device->play();
    QTRY_COMPARE_WITH_TIMEOUT(device->state(), State::Stopped, 15000);
    QTest::qWait(500);
    before += recorder.readAllStandardOutput();
    recorder.terminate();
    QVERIFY(recorder.waitForFinished(10000));
    const QByteArray recorded = before + recorder.readAllStandardOutput();

    const double silence = loudestWindow(recorded.left(2000), RecordRate);
    const double loudest = loudestWindow(recorded, RecordRate);
    QVERIFY2(silence < 0.01, qPrintable(QString::number(silence)));
    // The sine is at half of full scale: its RMS is about 0.35.
    QVERIFY2(loudest > 0.2,
             qPrintable(QString("loudest RMS %1 over %2 bytes").arg(loudest).arg(recorded.size())));
}

KIT_TEST_MAIN(TestSound)
#include "tst_sound.moc"
