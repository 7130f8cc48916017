#pragma once
// Picture (BMP) and sound (WAV) files written field by field, for tests.

#include <QByteArray>
#include <QList>
#include <QRgb>
#include <functional>

// A BMP file with a 40-byte info header, then the colour table and `pixels` as given.
QByteArray bmpFile(int width, int height, int bitCount, quint32 compression,
                   const QList<QRgb>& palette, const QByteArray& pixels);

// A 24-bit BMP whose pixel (x, y), counted from the top left, is colourAt(x, y).
QByteArray bmp24(int width, int height, const std::function<QRgb(int x, int y)>& colourAt);

// A 24-bit BMP of width x height pixels, every one of the colour given.
QByteArray solidBmp(int width, int height, QRgb colour);

// A RIFF chunk: its id, its length, its body and a pad byte after an odd body.
QByteArray riffChunk(const QByteArray& id, const QByteArray& body);

// A RIFF file of form WAVE holding `chunks`.
QByteArray riffWave(const QByteArray& chunks);

// The body of a 16-byte "fmt " chunk, and the chunk around it.
QByteArray fmtBody(quint16 tag, quint16 channels, quint32 rate, quint16 bits);
QByteArray fmtChunk(quint16 tag, quint16 channels, quint32 rate, quint16 bits);

// 16-bit PCM mono at 22050 Hz: `milliseconds` of a 440 Hz sine at half of full scale.
QByteArray toneWav(int milliseconds);
