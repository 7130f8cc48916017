#include "tools/demo/DemoScenario.h"

#include "DemoText.h"
#include "authoring/TextForm.h"
#include "common/ScenarioFiles.h"
#include "platform/core/AppError.h"

#include <QDir>
#include <QFile>
#include <QRgb>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace {

// --- pictures ---------------------------------------------------------------------------------

// A picture drawn with integer arithmetic only, so that every machine draws the same pixels.
class Canvas {
public:
    Canvas(int width, int height, QRgb background)
        : width_(width), height_(height),
          pixels_(static_cast<std::size_t>(width * height), background) {}

    int width() const { return width_; }
    int height() const { return height_; }
    QRgb at(int x, int y) const { return pixels_[index(x, y)]; }

    void set(int x, int y, QRgb colour) {
        if (x >= 0 && y >= 0 && x < width_ && y < height_)
            pixels_[index(x, y)] = colour;
    }
    void rect(int x, int y, int w, int h, QRgb colour) {
        for (int row = y; row < y + h; ++row)
            for (int col = x; col < x + w; ++col)
                set(col, row, colour);
    }
    void disc(int cx, int cy, int r, QRgb colour) {
        for (int row = cy - r; row <= cy + r; ++row)
            for (int col = cx - r; col <= cx + r; ++col)
                if ((col - cx) * (col - cx) + (row - cy) * (row - cy) <= r * r)
                    set(col, row, colour);
    }
    // The pixels whose centres lie inside the triangle (edges included).
    void triangle(int x0, int y0, int x1, int y1, int x2, int y2, QRgb colour) {
        const auto edge = [](int ax, int ay, int bx, int by, int px, int py) {
            return (2 * bx - 2 * ax) * (py - 2 * ay) - (2 * by - 2 * ay) * (px - 2 * ax);
        };
        for (int row = std::min({y0, y1, y2}); row <= std::max({y0, y1, y2}); ++row)
            for (int col = std::min({x0, x1, x2}); col <= std::max({x0, x1, x2}); ++col) {
                const int px = 2 * col + 1, py = 2 * row + 1;
                const int a = edge(x0, y0, x1, y1, px, py);
                const int b = edge(x1, y1, x2, y2, px, py);
                const int c = edge(x2, y2, x0, y0, px, py);
                if ((a >= 0 && b >= 0 && c >= 0) || (a <= 0 && b <= 0 && c <= 0))
                    set(col, row, colour);
            }
    }
    // Rows y to y + h - 1 shade from `top` to `bottom`.
    void verticalGradient(int y, int h, QRgb top, QRgb bottom) {
        for (int row = 0; row < h; ++row) {
            const auto mix = [&](int a, int b) { return a + (b - a) * row / std::max(1, h - 1); };
            rect(0, y + row, width_, 1,
                 qRgb(mix(qRed(top), qRed(bottom)), mix(qGreen(top), qGreen(bottom)),
                      mix(qBlue(top), qBlue(bottom))));
        }
    }

private:
    std::size_t index(int x, int y) const { return static_cast<std::size_t>(y * width_ + x); }

    int width_;
    int height_;
    std::vector<QRgb> pixels_;
};

void putU16(QByteArray& out, int value) {
    out.append(char(value & 0xff));
    out.append(char((value >> 8) & 0xff));
}

void putU32(QByteArray& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.append(char((value >> shift) & 0xff));
}

// The 14-byte file header and the 40-byte info header of a bottom-up BMP.
QByteArray bmpHeaders(const Canvas& canvas, int bitCount, std::uint32_t compression,
                      int paletteSize, int pixelBytes) {
    const int offset = 14 + 40 + 4 * paletteSize;
    QByteArray out("BM");
    putU32(out, std::uint32_t(offset + pixelBytes));
    putU32(out, 0);
    putU32(out, std::uint32_t(offset));
    putU32(out, 40);
    putU32(out, std::uint32_t(canvas.width()));
    putU32(out, std::uint32_t(canvas.height()));
    putU16(out, 1);
    putU16(out, bitCount);
    putU32(out, compression);
    putU32(out, std::uint32_t(pixelBytes));
    putU32(out, 2835); // 72 dots per inch
    putU32(out, 2835);
    putU32(out, std::uint32_t(paletteSize));
    putU32(out, 0);
    return out;
}

QByteArray bmp24(const Canvas& canvas) {
    const int stride = (canvas.width() * 3 + 3) / 4 * 4;
    QByteArray pixels;
    for (int y = canvas.height() - 1; y >= 0; --y) {
        const qsizetype start = pixels.size();
        for (int x = 0; x < canvas.width(); ++x) {
            const QRgb c = canvas.at(x, y);
            pixels.append(char(qBlue(c)));
            pixels.append(char(qGreen(c)));
            pixels.append(char(qRed(c)));
        }
        pixels.append(QByteArray(stride - (pixels.size() - start), '\0'));
    }
    return bmpHeaders(canvas, 24, 0, 0, int(pixels.size())) + pixels;
}

// The canvas's colours in the order they first appear, top row first.
std::vector<QRgb> paletteOf(const Canvas& canvas, std::size_t limit) {
    std::vector<QRgb> palette;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            if (std::find(palette.begin(), palette.end(), canvas.at(x, y)) == palette.end())
                palette.push_back(canvas.at(x, y));
    if (palette.size() > limit)
        throw std::logic_error("demo picture has too many colours for its palette");
    return palette;
}

QByteArray paletteBytes(const std::vector<QRgb>& palette) {
    QByteArray out;
    for (const QRgb c : palette) {
        out.append(char(qBlue(c)));
        out.append(char(qGreen(c)));
        out.append(char(qRed(c)));
        out.append('\0');
    }
    return out;
}

int indexIn(const std::vector<QRgb>& palette, QRgb colour) {
    return int(std::find(palette.begin(), palette.end(), colour) - palette.begin());
}

// 8 bits per pixel, uncompressed, with the colour table the picture needs.
QByteArray bmp8(const Canvas& canvas) {
    const std::vector<QRgb> palette = paletteOf(canvas, 256);
    const int stride = (canvas.width() + 3) / 4 * 4;
    QByteArray pixels;
    for (int y = canvas.height() - 1; y >= 0; --y) {
        for (int x = 0; x < canvas.width(); ++x)
            pixels.append(char(indexIn(palette, canvas.at(x, y))));
        pixels.append(QByteArray(stride - canvas.width(), '\0'));
    }
    return bmpHeaders(canvas, 8, 0, int(palette.size()), int(pixels.size())) +
           paletteBytes(palette) + pixels;
}

// 4 bits per pixel, run-length encoded (BI_RLE4): each run of one colour is a count and a byte
// holding the colour twice; each row ends with 00 00 and the picture with 00 01.
QByteArray bmpRle4(const Canvas& canvas) {
    const std::vector<QRgb> palette = paletteOf(canvas, 16);
    QByteArray pixels;
    for (int y = canvas.height() - 1; y >= 0; --y) {
        int x = 0;
        while (x < canvas.width()) {
            const QRgb colour = canvas.at(x, y);
            int run = 1;
            while (x + run < canvas.width() && run < 255 && canvas.at(x + run, y) == colour)
                ++run;
            const int i = indexIn(palette, colour);
            pixels.append(char(run));
            pixels.append(char(i << 4 | i));
            x += run;
        }
        pixels.append(QByteArray("\0\0", 2));
    }
    pixels.append(QByteArray("\0\1", 2));
    return bmpHeaders(canvas, 4, 2, int(palette.size()), int(pixels.size())) +
           paletteBytes(palette) + pixels;
}

// The gate by night, 128 x 128.
Canvas gatePicture() {
    Canvas c(128, 128, 0);
    c.verticalGradient(0, 110, qRgb(8, 14, 52), qRgb(64, 86, 150));
    for (const auto& [x, y] : std::array<std::pair<int, int>, 9>{{{6, 5},
                                                                  {22, 14},
                                                                  {40, 4},
                                                                  {57, 18},
                                                                  {70, 7},
                                                                  {83, 24},
                                                                  {45, 28},
                                                                  {12, 26},
                                                                  {122, 40}}})
        c.set(x, y, qRgb(255, 255, 230));
    c.disc(100, 20, 10, qRgb(250, 240, 200));
    c.rect(0, 110, 128, 18, qRgb(40, 70, 30));
    c.rect(16, 50, 96, 66, qRgb(120, 120, 130));
    for (int x = 16; x < 112; x += 12)
        c.rect(x, 44, 7, 6, qRgb(120, 120, 130));
    for (const int x : {8, 96}) {
        c.rect(x, 30, 24, 86, qRgb(105, 105, 118));
        c.triangle(x - 4, 30, x + 28, 30, x + 12, 6, qRgb(150, 40, 40));
        c.rect(x + 9, 45, 6, 9, qRgb(230, 200, 80));
    }
    c.disc(64, 80, 16, qRgb(30, 20, 15));
    c.rect(48, 80, 33, 36, qRgb(30, 20, 15));
    for (int x = 52; x <= 76; x += 6)
        c.rect(x, 66, 1, 50, qRgb(80, 80, 84));
    for (int y = 75; y <= 105; y += 10)
        c.rect(48, y, 33, 1, qRgb(80, 80, 84));
    return c;
}

// The courtyard with its well, 128 x 128, 8-bit.
Canvas courtyardPicture() {
    Canvas c(128, 128, qRgb(120, 170, 220));
    c.rect(0, 24, 128, 48, qRgb(140, 130, 120));
    for (int x = 0; x < 128; x += 10)
        c.rect(x, 18, 6, 6, qRgb(140, 130, 120));
    c.disc(100, 52, 9, qRgb(40, 30, 30));
    c.rect(91, 52, 19, 20, qRgb(40, 30, 30));
    c.rect(0, 72, 128, 56, qRgb(150, 130, 90));
    for (int y = 74; y < 128; y += 8)
        for (int x = ((y / 8) % 2) * 6; x < 128; x += 12)
            c.rect(x, y, 9, 5, qRgb(163, 143, 104));
    c.rect(44, 70, 3, 24, qRgb(90, 60, 30));
    c.rect(81, 70, 3, 24, qRgb(90, 60, 30));
    c.triangle(38, 72, 90, 72, 64, 60, qRgb(150, 50, 40));
    c.disc(64, 100, 20, qRgb(110, 110, 110));
    c.disc(64, 100, 13, qRgb(20, 30, 60));
    c.disc(20, 40, 12, qRgb(40, 120, 50));
    return c;
}

// The winding stairs of the tower, 96 x 112, 4-bit RLE.
Canvas stairsPicture() {
    Canvas c(96, 112, qRgb(40, 36, 50));
    for (int i = 0; i < 7; ++i) {
        const int x = 6 + i * 12, y = 98 - i * 14;
        c.rect(x, y, 96 - x, 14, qRgb(110, 100, 90));
        c.rect(x, y, 96 - x, 2, qRgb(150, 140, 125));
    }
    c.rect(19, 30, 3, 12, qRgb(110, 70, 30));
    c.disc(20, 26, 4, qRgb(250, 170, 40));
    c.disc(20, 27, 2, qRgb(255, 240, 150));
    c.rect(70, 8, 5, 16, qRgb(20, 20, 80));
    return c;
}

// The cellar with its barrels, 101 x 75: both sides odd.
Canvas cellarPicture() {
    Canvas c(101, 75, qRgb(35, 30, 28));
    for (int y = 0; y < 75; y += 8)
        for (int x = ((y / 8) % 2) * -8; x < 101; x += 16)
            c.rect(x + 1, y + 1, 14, 6, (x / 16 + y / 8) % 3 ? qRgb(70, 40, 30) : qRgb(88, 50, 36));
    for (const int x : {24, 56, 86}) {
        c.disc(x, 55, 14, qRgb(120, 75, 35));
        c.rect(x - 14, 50, 29, 2, qRgb(90, 90, 90));
        c.rect(x - 14, 60, 29, 2, qRgb(90, 90, 90));
    }
    for (const auto& [x, y] :
         std::array<std::pair<int, int>, 5>{{{10, 12}, {33, 25}, {47, 9}, {71, 30}, {95, 17}}})
        c.rect(x, y, 1, 2, qRgb(80, 130, 210));
    return c;
}

// The garden, 200 x 160: larger than the box, whose middle alone shows. The sky's colour
// changes with every column and the grass's with every row.
Canvas gardenPicture() {
    Canvas c(200, 160, 0);
    for (int y = 0; y < 160; ++y)
        for (int x = 0; x < 200; ++x)
            c.set(x, y,
                  y < 92 ? qRgb(90 + x * 3 / 5, 150 + y / 2, 235 - x / 5)
                         : qRgb(40 + (x * 7 + y * 3) % 23, 100 + y / 2, 40 + x % 7));
    c.disc(150, 30, 14, qRgb(255, 230, 120));
    for (const int x : {48, 78, 124, 152}) {
        c.rect(x - 3, 70, 7, 32, qRgb(100, 65, 30));
        c.disc(x, 62, 17, qRgb(30, 110, 40));
        c.disc(x - 5, 58, 3, qRgb(210, 40, 40));
        c.disc(x + 6, 66, 3, qRgb(210, 40, 40));
    }
    for (int i = 0; i < 24; ++i)
        c.disc(38 + (i * 37) % 124, 108 + (i * 13) % 40, 2,
               i % 2 ? qRgb(240, 80, 120) : qRgb(250, 220, 60));
    c.disc(100, 128, 12, qRgb(120, 120, 125));
    c.disc(100, 128, 7, qRgb(25, 35, 70));
    return c;
}

// The red dragon on its gold, 128 x 128, 8-bit.
Canvas dragonPicture() {
    Canvas c(128, 128, 0);
    c.verticalGradient(0, 128, qRgb(20, 12, 24), qRgb(70, 44, 52));
    for (int i = 0; i < 9; ++i)
        c.disc(10 + i * 14, 122, 9, qRgb(220, 180, 40));
    c.triangle(20, 100, 50, 96, 4, 80, qRgb(150, 25, 30));
    c.triangle(40, 70, 70, 20, 64, 78, qRgb(120, 20, 25));
    c.disc(55, 85, 24, qRgb(170, 30, 30));
    c.disc(88, 56, 14, qRgb(170, 30, 30));
    c.triangle(80, 44, 84, 30, 90, 44, qRgb(230, 220, 200));
    c.disc(92, 52, 3, qRgb(255, 230, 0));
    c.triangle(100, 60, 127, 50, 127, 78, qRgb(250, 130, 20));
    c.triangle(102, 62, 127, 58, 127, 70, qRgb(255, 230, 90));
    return c;
}

// The treasure chest among coins and gems, 128 x 128, 4-bit RLE.
Canvas treasurePicture() {
    Canvas c(128, 128, qRgb(30, 25, 35));
    c.rect(0, 100, 128, 28, qRgb(60, 50, 45));
    c.rect(30, 60, 68, 40, qRgb(120, 70, 30));
    c.rect(30, 44, 68, 16, qRgb(140, 85, 35));
    c.rect(30, 58, 68, 4, qRgb(200, 170, 60));
    c.rect(60, 62, 8, 10, qRgb(220, 200, 80));
    for (int i = 0; i < 14; ++i)
        c.disc(8 + i * 9, 108 + (i * 5) % 14, 4, i % 3 ? qRgb(255, 210, 60) : qRgb(200, 160, 40));
    c.disc(20, 92, 5, qRgb(200, 30, 40));
    c.disc(108, 90, 5, qRgb(40, 80, 200));
    c.disc(64, 36, 5, qRgb(40, 170, 70));
    return c;
}

// --- sounds -----------------------------------------------------------------------------------

constexpr int kRate = 22050;

// Noise from a fixed seed: the same on every machine.
class Noise {
public:
    double next() {
        state_ = state_ * 1664525u + 1013904223u;
        return double(state_ >> 8) / double(1u << 24) * 2.0 - 1.0;
    }

private:
    std::uint32_t state_ = 12345u;
};

QByteArray wav16(const std::vector<double>& samples) {
    QByteArray data;
    for (const double s : samples) {
        const long v = std::lround(std::clamp(s, -1.0, 1.0) * 32000.0);
        putU16(data, int(v & 0xffff));
    }
    QByteArray out("RIFF");
    putU32(out, std::uint32_t(36 + data.size()));
    out.append("WAVEfmt ");
    putU32(out, 16);
    putU16(out, 1); // PCM
    putU16(out, 1); // mono
    putU32(out, kRate);
    putU32(out, kRate * 2);
    putU16(out, 2);
    putU16(out, 16);
    out.append("data");
    putU32(out, std::uint32_t(data.size()));
    return out + data;
}

std::vector<double> silence(double seconds) {
    return std::vector<double>(std::size_t(seconds * kRate), 0.0);
}

double fade(std::size_t i, std::size_t n) {
    const double t = double(i) / double(n);
    return std::min({1.0, t * 20.0, (1.0 - t) * 8.0});
}

// Wind: noise smoothed twice, swelling and falling.
std::vector<double> windSound() {
    std::vector<double> s = silence(1.6);
    Noise noise;
    double a = 0, b = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        a += 0.06 * (noise.next() - a);
        b += 0.06 * (a - b);
        const double t = double(i) / kRate;
        s[i] =
            3.5 * b * (0.55 + 0.45 * std::sin(2 * std::numbers::pi * 0.9 * t)) * fade(i, s.size());
    }
    return s;
}

// Drops of water: short falling whistles.
std::vector<double> dripSound() {
    std::vector<double> s = silence(1.5);
    for (const double start : {0.05, 0.55, 0.8, 1.2}) {
        const auto first = std::size_t(start * kRate);
        double phase = 0;
        for (std::size_t i = 0; i < std::size_t(0.12 * kRate) && first + i < s.size(); ++i) {
            const double t = double(i) / kRate;
            phase += 2 * std::numbers::pi * (1400 - 4000 * t) / kRate;
            s[first + i] += 0.6 * std::sin(phase) * std::exp(-t * 40);
        }
    }
    return s;
}

// A roar: a low sawtooth whose pitch falls, roughened with noise.
std::vector<double> roarSound() {
    std::vector<double> s = silence(1.4);
    Noise noise;
    double phase = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) / kRate;
        phase += (95 - 30 * t) / kRate;
        const double saw = 2 * (phase - std::floor(phase)) - 1;
        s[i] = (0.5 * saw + 0.25 * noise.next()) * fade(i, s.size());
    }
    return s;
}

// A fanfare: C, E, G and the high C, each with its octave.
std::vector<double> fanfareSound() {
    std::vector<double> s = silence(1.6);
    const std::array<double, 4> notes{523.25, 659.25, 783.99, 1046.5};
    for (std::size_t n = 0; n < notes.size(); ++n) {
        const auto first = std::size_t(double(n) * 0.25 * kRate);
        const auto length = std::size_t((n == 3 ? 0.85 : 0.25) * kRate);
        for (std::size_t i = 0; i < length && first + i < s.size(); ++i) {
            const double t = double(i) / kRate;
            s[first + i] = (0.45 * std::sin(2 * std::numbers::pi * notes[n] * t) +
                            0.15 * std::sin(4 * std::numbers::pi * notes[n] * t)) *
                           fade(i, length);
        }
    }
    return s;
}

// --- the story --------------------------------------------------------------------------------

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size() || !file.flush())
        throw AppError(AppError::Other, QStringLiteral("Cannot write %1").arg(path));
}

// The pair from the story's text (tools/demo/Zamek.txt, compiled in). A fault in the text is a
// mistake in the story, not something to store.
void writeScenario(const QString& situationFile) {
    const TextFormResult story = fromText(QString::fromUtf8(DemoText));
    if (!story.ok()) {
        const TextFormError& e = story.errors.front();
        throw std::logic_error(QStringLiteral("Zamek.txt:%1:%2: %3")
                                   .arg(e.line)
                                   .arg(e.column)
                                   .arg(e.message)
                                   .toStdString());
    }
    writeFile(situationFile, story.pair.situations);
    writeFile(listFilePath(situationFile), story.pair.list);
}

} // namespace

namespace DemoScenario {

void write(const QString& folder) {
    const QDir dir(folder);
    if (!dir.mkpath(QStringLiteral("Obrazki")) || !dir.mkpath(QStringLiteral("Dzwieki")))
        throw AppError(AppError::Other, QStringLiteral("Cannot create %1").arg(folder));

    writeScenario(dir.filePath(SituationFileName));

    const auto picture = [&](const char* name, const QByteArray& bytes) {
        writeFile(dir.filePath(QStringLiteral("Obrazki/") + QLatin1String(name)), bytes);
    };
    picture("brama.bmp", bmp24(gatePicture()));
    picture("dziedziniec.bmp", bmp8(courtyardPicture()));
    picture("schody.bmp", bmpRle4(stairsPicture()));
    picture("piwnica.bmp", bmp24(cellarPicture()));
    picture("ogrod.bmp", bmp24(gardenPicture()));
    picture("smok.bmp", bmp8(dragonPicture()));
    picture("skarb.bmp", bmpRle4(treasurePicture()));

    const auto sound = [&](const char* name, const std::vector<double>& samples) {
        writeFile(dir.filePath(QStringLiteral("Dzwieki/") + QLatin1String(name)), wav16(samples));
    };
    sound("wiatr.wav", windSound());
    sound("kapanie.wav", dripSound());
    sound("ryk.wav", roarSound());
    sound("fanfara.wav", fanfareSound());
}

} // namespace DemoScenario
