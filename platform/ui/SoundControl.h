#pragma once
// The sound control: Play, Stop and Prev buttons over one sound device.

#include "platform/core/SoundDevice.h"

#include <QString>
#include <QWidget>
#include <memory>

class QPushButton;

// The sound control of a window: a bar of three plain grey buttons (Play,
// Stop, Prev) over one sound device bound to one file. The buttons follow
// the device's state: all disabled while closed; Play and Prev while open and
// not playing; Stop and Prev while playing. The player keeps the control hidden.
// The buttons draw glyphs, and screen readers say their Polish names.
class SoundControl : public QWidget {
    Q_OBJECT

public:
    SoundControl(std::unique_ptr<SoundDevice> device, QWidget* parent = nullptr);
    ~SoundControl() override;

    void setFileName(const QString& fileName) { fileName_ = fileName; }
    const QString& fileName() const { return fileName_; }
    void setDeviceType(const QString& deviceType) { deviceType_ = deviceType; }
    const QString& deviceType() const { return deviceType_; }

    // Closes an open device, then opens it on the file name (and device type).
    // Throws AppError with the device's error text; the control stays closed.
    void open();
    // Closes the device if it is open; the file name stays.
    void close();
    void play();
    void stop();
    void prev();

    SoundDevice::State state() const;
    bool isOpen() const { return state() != SoundDevice::State::Closed; }

    QPushButton* playButton() const { return play_; }
    QPushButton* stopButton() const { return stop_; }
    QPushButton* prevButton() const { return prev_; }

private:
    void updateButtons();

    std::unique_ptr<SoundDevice> device_;
    QString fileName_;
    QString deviceType_;
    QPushButton* play_;
    QPushButton* stop_;
    QPushButton* prev_;
};
