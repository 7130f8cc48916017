#include "platform/core/AppError.h"
#include "platform/core/Bitmap.h"
#include "platform/core/FileSystem.h"
#include "platform/core/LockWait.h"
#include "platform/core/MediaFile.h"
#include "platform/core/PosixRecordFile.h"
#include "platform/core/WavHeader.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/MessageBoxes.h"
#include "platform/ui/PaintBox.h"
#include "platform/ui/PictureBox.h"
#include "tests/support/ByteWriters.h"
#include "tests/support/MediaBuilders.h"
#include "tests/support/RecordingMessageBoxes.h"
#include "tests/support/ScriptedFileDialog.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <sys/stat.h>

namespace {

const QString NotValid = QStringLiteral("Bitmap image is not valid");
const QString ReadError = QStringLiteral("Stream read error");
// The box's colour in these tests: no picture written here contains it.
const QRgb Button = qRgb(0x12, 0x34, 0x56);

// Each column and row its own colour, so that a test sees which pixel went where.
QRgb patternAt(int x, int y) {
    return qRgb(x & 0xFF, x >> 8, y);
}

const QList<QRgb> rlePalette{qRgb(10, 20, 30), qRgb(200, 0, 0), qRgb(0, 200, 0), qRgb(0, 0, 200)};

QByteArray rle(int width, int height, bool four, const QByteArray& codes) {
    return bmpFile(width, height, four ? 4 : 8, four ? 2 : 1, rlePalette, codes);
}

// The error message that loading gives, or an empty string when it loads.
QString loadError(const QString& path, Bitmap* loaded = nullptr) {
    try {
        const Bitmap bitmap = Bitmap::load(path);
        if (loaded)
            *loaded = bitmap;
        return {};
    } catch (const AppError& e) {
        return e.code() == AppError::Other ? e.message() : QStringLiteral("wrong code");
    }
}

// Makes at `path` a media file of `shape`: "under" and "over" are `bytes` grown, sparse, to
// the media size limit or one byte past it; "pipe", "folder" and "link to a device" are no
// regular file. False when it cannot be made.
bool makeMedia(const QString& path, const QString& shape, const QByteArray& bytes) {
    if (shape == u"pipe")
        return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
    if (shape == u"folder")
        return QDir().mkpath(path);
    if (shape == u"link to a device")
        return QFile::link(QStringLiteral("/dev/zero"), path);
    return writeFile(path, bytes) &&
           QFile::resize(path, MediaFile::MaxBytes + (shape == u"over" ? 1 : 0));
}

// The picture box as the screen shows it.
QImage drawBox(const Bitmap& bitmap) {
    PaintBox box;
    box.setFixedSize(PictureBox::Size, PictureBox::Size);
    box.setPaintHandler([&](QPainter& p) {
        PictureBox::fill(p);
        PictureBox::drawCentred(p, bitmap);
    });
    return box.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Every pixel outside `inside` is the button face, none inside is.
bool plainExactlyOutside(const QImage& box, const QRect& inside) {
    for (int y = 0; y < box.height(); ++y)
        for (int x = 0; x < box.width(); ++x)
            if ((box.pixel(x, y) == Button) == inside.contains(x, y))
                return false;
    return true;
}

QString corpusFolder(const QString& group) {
    return QStringLiteral(KIT_TESTDATA_DIR "/bmpsuite/") + group;
}

QStringList corpusFiles(const QString& group) {
    const QDir dir(corpusFolder(group));
    QStringList paths;
    for (const QString& name : dir.entryList({QStringLiteral("*.bmp")}, QDir::Files))
        paths << dir.filePath(name);
    return paths;
}

// Runs `step` on the modal window that the event loop about to run shows
// (`after`: a window already open, to be looked past). Unless `optional`, no
// such window fails the test.
void onModal(std::function<void(QWidget*)> step, QWidget* after = nullptr, bool optional = false) {
    QTimer::singleShot(0, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != after)
            step(modal);
        else if (!optional)
            QTest::qFail("No modal window appeared", __FILE__, __LINE__);
    });
}

QString outcome(const std::optional<QString>& path) {
    return path.value_or(QStringLiteral("(cancelled)"));
}

// Clicks the button of the message box; any other window is closed and fails the test.
void clickBox(QWidget* modal, QMessageBox::StandardButton which) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (QAbstractButton* button = box ? box->button(which) : nullptr)
        return button->click();
    QTest::qFail("Expected a message box with that button", __FILE__, __LINE__);
    if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->reject();
}

// Runs `step` on a box that `owner` raises in the event loop about to run;
// does nothing when none comes.
void onBoxOf(QWidget* owner, std::function<void(QWidget*)> step) {
    QTimer::singleShot(0, [owner = QPointer<QWidget>(owner), step] {
        QWidget* modal = QApplication::activeModalWidget();
        if (owner && modal && modal != owner && modal->parentWidget() == owner)
            step(modal);
    });
}

// Accepts the dialog as its Open button would; a box that it raises fails the test.
void acceptDialog(QWidget* modal) {
    onBoxOf(modal, [](QWidget* box) {
        QTest::qFail("An unexpected box came", __FILE__, __LINE__);
        qobject_cast<QDialog*>(box)->reject();
    });
    qobject_cast<QDialog*>(modal)->accept();
}

void typeName(QWidget* modal, const QString& name) {
    if (auto* edit = modal->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        edit->setText(name);
    else
        QTest::qFail("The file dialog has no name field", __FILE__, __LINE__);
}

} // namespace

class TestPlatform : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QPalette palette = QApplication::palette();
        palette.setColor(QPalette::Button, Button);
        palette.setColor(QPalette::Window, Qt::white);
        QApplication::setPalette(palette);
    }

    void init() { dir_.renew(); }

    // --- bitmaps ------------------------------------------------------------

    void brokenFilesGiveTheirError_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");
        const QByteArray good = bmp24(3, 2, patternAt);
        QByteArray notBm = good;
        notBm[0] = 'X';
        auto with32 = [&](int at, quint32 value) {
            QByteArray b = good;
            put32(b, at, value);
            return b;
        };
        auto with16 = [&](int at, quint16 value) {
            QByteArray b = good;
            put16(b, at, value);
            return b;
        };
        QTest::newRow("not BM") << notBm << NotValid;
        QTest::newRow("a text") << QByteArray("hello") << NotValid;
        QTest::newRow("only B") << QByteArray("B") << ReadError;
        QTest::newRow("cut in file header") << good.left(10) << ReadError;
        QTest::newRow("cut in info header") << good.left(30) << ReadError;
        QTest::newRow("cut in pixels") << good.chopped(1) << ReadError;
        QTest::newRow("pixels past the end") << with32(10, 5000) << ReadError;
        QTest::newRow("colour table past the end")
            << bmpFile(2, 2, 8, 0, {}, QByteArray(8, '\0')).replace(46, 1, "\xff") << ReadError;
        QTest::newRow("unknown header size") << with32(14, 41) << NotValid;
        QTest::newRow("zero width") << with32(18, 0) << NotValid;
        QTest::newRow("negative width") << with32(18, quint32(-3)) << NotValid;
        QTest::newRow("zero height") << with32(22, 0) << NotValid;
        QTest::newRow("absurd size") << with32(18, 100000) << NotValid;
        QTest::newRow("absurd pixel count")
            << with32(18, 16000).replace(22, 4, QByteArray("\x80\x3e\0\0", 4)) << NotValid;
        QTest::newRow("two planes") << with16(26, 2) << NotValid;
        QTest::newRow("7 bits") << with16(28, 7) << NotValid;
        QTest::newRow("JPEG inside") << with32(30, 4) << NotValid;
        QTest::newRow("RLE off the right edge")
            << rle(2, 1, false, QByteArray("\x03\x01\x00\x01", 4)) << NotValid;
        QTest::newRow("RLE above the top")
            << rle(2, 1, false, QByteArray("\x00\x00\x01\x01\x00\x01", 6)) << NotValid;
        QTest::newRow("RLE top-down")
            << rle(2, -1, false, QByteArray("\x02\x01\x00\x01", 4)) << NotValid;
        QTest::newRow("RLE absolute run cut")
            << rle(8, 1, false, QByteArray("\x00\x08\x01\x01\x01", 5)) << ReadError;
    }

    void brokenFilesGiveTheirError() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        QCOMPARE(loadError(dir_.write(QStringLiteral("broken.bmp"), bytes)), error);
    }

    void unopenableFileNamesItsPath_data() {
        QTest::addColumn<QString>("name"); // inside the test's folder
        QTest::newRow("missing") << "Obrazki/a.bmp";
        QTest::newRow("a folder") << ".";
    }

    void unopenableFileNamesItsPath() {
        QFETCH(QString, name);
        const QString path = dir_.filePath(name);
        QCOMPARE(loadError(path), QStringLiteral("Cannot open file ") + path);
    }

    // Pictures and sounds past the size limit, or that are no regular file, are refused
    // before a byte is read (a pipe would hold the reader for ever, /dev/zero never ends);
    // a file just within the limit is read.
    void mediaPastTheLimitOrNotAFileIsRefusedUnread_data() {
        QTest::addColumn<QString>("shape");
        QTest::addColumn<QString>("refusal"); // empty: read; "size": too large; "file": no file
        QTest::newRow("at the limit") << "under"
                                      << "";
        QTest::newRow("one byte past the limit") << "over"
                                                 << "size";
        QTest::newRow("named pipe") << "pipe"
                                    << "file";
        QTest::newRow("folder") << "folder"
                                << "file";
        QTest::newRow("link to /dev/zero") << "link to a device"
                                           << "file";
    }

    void mediaPastTheLimitOrNotAFileIsRefusedUnread() {
        QFETCH(QString, shape);
        QFETCH(QString, refusal);
        const QString picture = dir_.filePath(QStringLiteral("a.bmp"));
        const QString sound = dir_.filePath(QStringLiteral("a.wav"));
        QVERIFY(makeMedia(picture, shape, solidBmp(2, 3, qRgb(1, 2, 3))));
        QVERIFY(makeMedia(sound, shape, toneWav(20)));
        Bitmap bitmap;
        const QString pictureError = loadError(picture, &bitmap);
        const WavHeader::Refusal why = WavHeader::refusal(sound, true);
        QCOMPARE(WavHeader::readFile(sound).has_value(), refusal.isEmpty());
        if (refusal.isEmpty()) {
            QCOMPARE(pictureError, QString());
            QCOMPARE(bitmap.height(), 3);
            QCOMPARE(why, WavHeader::Refusal::None);
        } else if (refusal == u"size") {
            QCOMPARE(pictureError, MediaFile::tooLargeText(picture));
            QVERIFY(pictureError.contains(picture));
            QCOMPARE(why, WavHeader::Refusal::TooLarge);
            QCOMPARE(WavHeader::refusalText(why, sound), MediaFile::tooLargeText(sound));
        } else {
            QCOMPARE(pictureError, QStringLiteral("Cannot open file ") + picture);
            QCOMPARE(why, WavHeader::Refusal::NotAFile);
        }
    }

    void zeroByteFileIsAnEmptyPictureAndLeavesTheBoxPlain() {
        Bitmap bitmap;
        QCOMPARE(loadError(dir_.write(QStringLiteral("empty.bmp"), {}), &bitmap), QString());
        QVERIFY(bitmap.isEmpty());
        QVERIFY(plainExactlyOutside(drawBox(bitmap), QRect()));
    }

    // Top row first; colour index per pixel.
    void runLengthPicturesDecode_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<QList<int>>>("rows");
        // Absolute run with padding, end of line, a delta that skips, end of bitmap.
        QTest::newRow("RLE8") << rle(4, 2, false,
                                     QByteArray("\x00\x03\x02\x01\x02\x00"
                                                "\x00\x00\x00\x02\x02\x00\x01\x01\x00\x01",
                                                16))
                              << QList<QList<int>>{{0, 0, 1, 0}, {2, 1, 2, 0}};
        // Absolute run of odd length, then a run of alternating nibbles.
        QTest::newRow("RLE4") << rle(4, 2, true,
                                     QByteArray("\x00\x03\x12\x30\x00\x00\x04\x21\x00\x01", 10))
                              << QList<QList<int>>{{2, 1, 2, 1}, {1, 2, 3, 0}};
        // The data ends without its end mark: the rest keeps colour 0.
        QTest::newRow("RLE8 cut short") << rle(3, 2, false, QByteArray("\x02\x03", 2))
                                        << QList<QList<int>>{{0, 0, 0}, {3, 3, 0}};
    }

    void runLengthPicturesDecode() {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<QList<int>>, rows);
        Bitmap bitmap;
        QCOMPARE(loadError(dir_.write(QStringLiteral("rle.bmp"), bytes), &bitmap), QString());
        QCOMPARE(bitmap.height(), rows.size());
        for (int y = 0; y < rows.size(); ++y) {
            QCOMPARE(bitmap.width(), rows[y].size());
            for (int x = 0; x < rows[y].size(); ++x)
                QCOMPARE(bitmap.image().pixel(x, y), rlePalette[rows[y][x]]);
        }
    }

    void boxIsTheButtonFace() {
        QCOMPARE(PictureBox::buttonFace(), QColor(Button));
        QVERIFY(plainExactlyOutside(drawBox(Bitmap()), QRect()));
    }

    void pictureIsCentredInTheBox_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QRect>("drawn"); // in box coordinates, before clipping
        QTest::newRow("128x128 fills the box") << 128 << 128 << QRect(0, 0, 128, 128);
        QTest::newRow("64x64") << 64 << 64 << QRect(32, 32, 64, 64);
        QTest::newRow("100x60") << 100 << 60 << QRect(14, 34, 100, 60);
        QTest::newRow("100x51 squeezed") << 100 << 51 << QRect(14, 39, 100, 50);
        QTest::newRow("127x127 squeezed") << 127 << 127 << QRect(1, 1, 126, 126);
        QTest::newRow("129x129 squeezed") << 129 << 129 << QRect(0, 0, 128, 128);
        QTest::newRow("300x20 clipped") << 300 << 20 << QRect(-86, 54, 300, 20);
        QTest::newRow("1x1 not drawn") << 1 << 1 << QRect(64, 64, 0, 0);
    }

    void pictureIsCentredInTheBox() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QRect, drawn);
        Bitmap bitmap;
        const QString path = dir_.write(QStringLiteral("p.bmp"), bmp24(width, height, patternAt));
        QCOMPARE(loadError(path, &bitmap), QString());
        QCOMPARE(bitmap.width(), width);
        QCOMPARE(bitmap.height(), height);
        QCOMPARE(PictureBox::destination(width, height), drawn);

        const QImage box = drawBox(bitmap);
        const QRect visible = drawn & QRect(0, 0, 128, 128);
        QVERIFY(plainExactlyOutside(box, visible));
        if (visible.isEmpty())
            return;
        if (drawn.size() == QSize(width, height)) {
            for (int y = visible.top(); y <= visible.bottom(); ++y)
                for (int x = visible.left(); x <= visible.right(); ++x)
                    QCOMPARE(box.pixel(x, y), patternAt(x - drawn.left(), y - drawn.top()));
        } else {
            // Squeezed: the corners of the picture still reach the corners.
            QCOMPARE(box.pixel(drawn.topLeft()), patternAt(0, 0));
            QCOMPARE(box.pixel(drawn.bottomRight()), patternAt(width - 1, height - 1));
        }
    }

    // Repaints draw the kept picture, yet a file changed on disk shows as it now is.
    void keptPictureFollowsTheFile_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QRgb>("centre");
        QTest::addColumn<int>("loads");
        const QRgb red = qRgb(200, 0, 0);
        const QRgb green = qRgb(0, 200, 0);
        QTest::newRow("unchanged: never loaded again") << "none" << red << 1;
        QTest::newRow("new size") << "size" << green << 2;
        QTest::newRow("same size, new modification time") << "time" << green << 2;
        QTest::newRow("replaced by another file") << "replace" << green << 2;
        QTest::newRow("removed: the box stays plain") << "remove" << Button << 1;
        QTest::newRow("now unreadable: the box stays plain") << "break" << Button << 2;
    }
    void keptPictureFollowsTheFile() {
        QFETCH(QString, change);
        QFETCH(QRgb, centre);
        QFETCH(int, loads);
        const QString path = dir_.write(QStringLiteral("p.bmp"), solidBmp(8, 8, qRgb(200, 0, 0)));
        PictureBox::Shown shown;
        shown.load(path);
        PaintBox box;
        box.setFixedSize(PictureBox::Size, PictureBox::Size);
        box.setPaintHandler([&](QPainter& p) {
            PictureBox::fill(p);
            shown.repaint(p, path);
        });
        QCOMPARE(box.grab().toImage().convertToFormat(QImage::Format_RGB32).pixel(64, 64),
                 qRgb(200, 0, 0));
        const QByteArray green = solidBmp(8, 8, qRgb(0, 200, 0));
        if (change == u"size") {
            dir_.write(QStringLiteral("p.bmp"), solidBmp(16, 16, qRgb(0, 200, 0)));
        } else if (change == u"time") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QCOMPARE(file.write(green), green.size());
            const QDateTime later = file.fileTime(QFileDevice::FileModificationTime).addSecs(5);
            QVERIFY(file.setFileTime(later, QFileDevice::FileModificationTime));
        } else if (change == u"replace") {
            const QString other = dir_.write(QStringLiteral("q.bmp"), green);
            QVERIFY(QFile::remove(path) && QFile::rename(other, path));
        } else if (change == u"remove") {
            QVERIFY(QFile::remove(path));
        } else if (change == u"break") {
            dir_.write(QStringLiteral("p.bmp"), QByteArray("XX not a picture"));
        }
        for (int i = 0; i < 3; ++i)
            QCOMPARE(box.grab().toImage().convertToFormat(QImage::Format_RGB32).pixel(64, 64),
                     centre);
        QCOMPARE(shown.loads(), loads);
    }

    void goodCorpusFilesLoadAndDraw_data() { corpusRows(QStringLiteral("g")); }

    void goodCorpusFilesLoadAndDraw() {
        QFETCH(QString, path);
        const QHash<QString, QSize> odd{{QStringLiteral("pal8nonsquare.bmp"), QSize(127, 32)},
                                        {QStringLiteral("pal8w124.bmp"), QSize(124, 61)},
                                        {QStringLiteral("pal8w125.bmp"), QSize(125, 62)},
                                        {QStringLiteral("pal8w126.bmp"), QSize(126, 63)}};
        const QSize size = odd.value(QFileInfo(path).fileName(), QSize(127, 64));
        Bitmap bitmap;
        QCOMPARE(loadError(path, &bitmap), QString());
        QCOMPARE(QSize(bitmap.width(), bitmap.height()), size);
        const QImage box = drawBox(bitmap);
        QVERIFY(plainExactlyOutside(box, PictureBox::destination(size.width(), size.height())));
    }

    // Files that store one picture in different ways must give the same pixels.
    void corpusVariantsGiveTheSamePixels_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("reference");
        const QList<QPair<const char*, const char*>> pairs{
            {"pal4rle", "pal4"},    {"pal8rle", "pal8"},     {"pal8topdown", "pal8"},
            {"pal8os2", "pal8"},    {"pal8v4", "pal8"},      {"pal8v5", "pal8"},
            {"pal8-0", "pal8"},     {"rgb16bfdef", "rgb16"}, {"rgb16-565pal", "rgb16-565"},
            {"rgb24pal", "rgb24"},  {"rgb32", "rgb24"},      {"rgb32bf", "rgb24"},
            {"rgb32bfdef", "rgb24"}};
        const QString g = QStringLiteral(KIT_TESTDATA_DIR "/bmpsuite/g/");
        for (const auto& [file, reference] : pairs)
            QTest::newRow(file) << g + file + ".bmp" << g + reference + ".bmp";
    }

    void corpusVariantsGiveTheSamePixels() {
        QFETCH(QString, file);
        QFETCH(QString, reference);
        Bitmap a;
        Bitmap b;
        QCOMPARE(loadError(file, &a), QString());
        QCOMPARE(loadError(reference, &b), QString());
        QCOMPARE(a.image().convertToFormat(QImage::Format_RGB32),
                 b.image().convertToFormat(QImage::Format_RGB32));
    }

    void questionableCorpusFilesLoadOrGiveAnError_data() { corpusRows(QStringLiteral("q")); }

    void questionableCorpusFilesLoadOrGiveAnError() {
        QFETCH(QString, path);
        Bitmap bitmap;
        const QString error = loadError(path, &bitmap);
        QVERIFY2(error.isEmpty() || error == NotValid || error == ReadError, qPrintable(error));
        if (error.isEmpty())
            QVERIFY(plainExactlyOutside(drawBox(bitmap),
                                        PictureBox::destination(bitmap.width(), bitmap.height())));
    }

    // Bad files are refused, except those whose fault does not touch the pixels.
    void badCorpusFilesAreRefused_data() { corpusRows(QStringLiteral("b")); }

    void badCorpusFilesAreRefused() {
        QFETCH(QString, path);
        const QHash<QString, QString> expected{{QStringLiteral("baddens1.bmp"), QString()},
                                               {QStringLiteral("baddens2.bmp"), QString()},
                                               {QStringLiteral("badfilesize.bmp"), QString()},
                                               {QStringLiteral("pal8badindex.bmp"), QString()},
                                               {QStringLiteral("rgb16-880.bmp"), QString()},
                                               {QStringLiteral("badbitssize.bmp"), ReadError},
                                               {QStringLiteral("badpalettesize.bmp"), ReadError},
                                               {QStringLiteral("shortfile.bmp"), ReadError}};
        const QString name = QFileInfo(path).fileName();
        Bitmap bitmap;
        QCOMPARE(loadError(path, &bitmap), expected.value(name, NotValid));
        if (!bitmap.isEmpty()) {
            QCOMPARE(QSize(bitmap.width(), bitmap.height()), QSize(127, 64));
            QVERIFY(plainExactlyOutside(drawBox(bitmap), PictureBox::destination(127, 64)));
        }
    }

    // --- message boxes ------------------------------------------------------

    void messageBoxesShowTheirText_data() {
        QTest::addColumn<bool>("isError");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("shown");
        QTest::newRow("message") << false << "Uwaga!" << 0 << "Uwaga!";
        QTest::newRow("message keeps its end") << false << "Koniec gry" << 0 << "Koniec gry";
        QTest::newRow("message with markup") << false << "<b>x</b>" << 0 << "<b>x</b>";
        QTest::newRow("file error") << true << "" << int(AppError::DiskFull) << "Disk full.";
        QTest::newRow("error ending in a letter")
            << true << "Stream read error" << int(AppError::Other) << "Stream read error.";
        QTest::newRow("error ending in a digit")
            << true << "Limit 5" << int(AppError::Other) << "Limit 5.";
        QTest::newRow("error ending in !") << true << "Uwaga!" << int(AppError::Other) << "Uwaga!";
        QTest::newRow("error ending in )") << true << "(a)" << int(AppError::Other) << "(a)";
        QTest::newRow("error ending in .")
            << true << "Koniec." << int(AppError::Other) << "Koniec.";
    }

    void messageBoxesShowTheirText() {
        QFETCH(bool, isError);
        QFETCH(QString, text);
        QFETCH(int, code);
        QFETCH(QString, shown);
        struct Seen {
            QString title, text;
            QMessageBox::Icon icon = QMessageBox::NoIcon;
            Qt::TextFormat format = Qt::AutoText;
            QList<QMessageBox::StandardButton> buttons;
        } seen;
        bool answered = false;
        onModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (!box)
                return QTest::qFail("Not a message box", __FILE__, __LINE__);
            seen = {box->windowTitle(), box->text(), box->icon(), box->textFormat(), {}};
            for (QAbstractButton* b : box->buttons())
                seen.buttons << box->standardButton(b);
            answered = true;
            box->buttons().first()->click();
        });
        QtMessageBoxes boxes(QStringLiteral("Zozozarov"));
        if (isError)
            boxes.error(code == AppError::Other ? AppError(code, text) : AppError(code));
        else
            boxes.message(text);
        QVERIFY(answered);
        QCOMPARE(seen.title, QStringLiteral("Zozozarov"));
        QCOMPARE(seen.text, shown);
        QCOMPARE(seen.icon, isError ? QMessageBox::Critical : QMessageBox::NoIcon);
        QCOMPARE(seen.format, Qt::PlainText);
        QCOMPARE(seen.buttons, QList<QMessageBox::StandardButton>{QMessageBox::Ok});
    }

    // A question of the program's own: "Tak" and "Nie", no icon, and only "Tak" says yes.
    void questionBoxAnswers_data() {
        QTest::addColumn<QString>("press"); // a button's text, or "Escape"
        QTest::addColumn<bool>("answer");
        QTest::newRow("Tak") << "Tak" << true;
        QTest::newRow("Nie") << "Nie" << false;
        QTest::newRow("Escape") << "Escape" << false;
    }
    void questionBoxAnswers() {
        QFETCH(QString, press);
        QFETCH(bool, answer);
        QStringList buttons;
        QMessageBox::Icon icon = QMessageBox::Critical;
        onModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (!box)
                return QTest::qFail("Not a message box", __FILE__, __LINE__);
            icon = box->icon();
            for (QAbstractButton* b : box->buttons())
                buttons << b->text();
            if (press == u"Escape")
                QTest::keyClick(box, Qt::Key_Escape);
            for (QAbstractButton* b : box->buttons())
                if (b->text() == press)
                    b->click();
        });
        QtMessageBoxes boxes(QStringLiteral("Diziru"));
        QCOMPARE(boxes.question(QStringLiteral("Naprawic?")), answer);
        buttons.sort();
        QCOMPARE(buttons, (QStringList{QStringLiteral("Nie"), QStringLiteral("Tak")}));
        QCOMPARE(icon, QMessageBox::NoIcon);
    }

    // --- locks --------------------------------------------------------------

    // A lock that another program holds is waited for once in a user action: the wait gives
    // up at the end of the action's budget, and the later locks of the action do not wait,
    // not even those of an action started inside it (which shares the outer budget).
    void lockHeldElsewhereIsWaitedForOncePerAction() {
        const QString path = dir_.write(QStringLiteral("Las.Kro"), QByteArray(516, 'x'));
        PosixRecordFile holder;
        PosixRecordFile waiter;
        holder.open(path, 516, RecordFile::Access::ReadWrite);
        waiter.open(path, 516, RecordFile::Access::ReadOnly);
        QVERIFY(holder.lock(RecordFile::Lock::Exclusive));
        QList<bool> waits;
        {
            const LockWait::Action action([&](bool waiting) { waits << waiting; });
            QVERIFY(!waiter.lock(RecordFile::Lock::Shared));
            QCOMPARE(waits, (QList<bool>{true, false}));
            QVERIFY(LockWait::remaining() <= LockWait::Clock::duration::zero());
            QVERIFY(!waiter.lock(RecordFile::Lock::Shared));
            QCOMPARE(waits.size(), 2);
            {
                const LockWait::Action nested([&](bool) { waits << false; });
                QVERIFY(LockWait::remaining() <= LockWait::Clock::duration::zero());
                QVERIFY(!waiter.lock(RecordFile::Lock::Shared));
            }
            QVERIFY(LockWait::remaining() <= LockWait::Clock::duration::zero());
            QVERIFY(!waiter.lock(RecordFile::Lock::Shared));
            QCOMPARE(waits.size(), 2);
        }
        QCOMPARE(LockWait::remaining(), LockWait::Clock::duration(LockWait::Budget));
        holder.unlock();
        const LockWait::Action next;
        QVERIFY(waiter.lock(RecordFile::Lock::Shared));
    }

    // --- file system --------------------------------------------------------

    // Entries ending in "/" are made as folders.
    void listFilesMatchesAndSorts_data() {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("mask ignores case") << QStringList{"a.BMP", "b.bmp", "c.txt", "d.bmpx"}
                                           << "*.bmp" << QStringList{"a.BMP", "b.bmp"};
        QTest::newRow("upper-case mask")
            << QStringList{"a.BMP", "b.bmp", "c.txt"} << "*.BMP" << QStringList{"a.BMP", "b.bmp"};
        QTest::newRow("folders left out")
            << QStringList{"x.bmp", "y.bmp/"} << "*.bmp" << QStringList{"x.bmp"};
        QTest::newRow("hidden files left out")
            << QStringList{".h.bmp", "v.bmp"} << "*.bmp" << QStringList{"v.bmp"};
        QTest::newRow("sorted ignoring case")
            << QStringList{"d.wav", "B.wav", "c.WAV", "a.wav"} << "*.wav"
            << QStringList{"a.wav", "B.wav", "c.WAV", "d.wav"};
        QTest::newRow("one-letter wildcard")
            << QStringList{"a.wav", "ab.wav"} << "?.wav" << QStringList{"a.wav"};
        QTest::newRow("nothing matches") << QStringList{"a.txt"} << "*.bmp" << QStringList{};
    }

    void listFilesMatchesAndSorts() {
        QFETCH(QStringList, entries);
        QFETCH(QString, mask);
        QFETCH(QStringList, listed);
        for (const QString& entry : entries) {
            if (entry.endsWith(u'/'))
                QVERIFY(QDir(dir_.path()).mkdir(entry.chopped(1)));
            else
                dir_.write(entry, "x");
        }
        QCOMPARE(FileSystem::listFiles(dir_.path(), mask), listed);
    }

    void listFilesOfAMissingFolderIsEmpty() {
        QVERIFY(FileSystem::listFiles(dir_.filePath(QStringLiteral("brak")), "*.bmp").isEmpty());
    }

    void fileExists_data() {
        QTest::addColumn<QString>("name"); // inside the test's folder; null: an empty path
        QTest::addColumn<bool>("exists");
        QTest::newRow("file") << "f.txt" << true;
        QTest::newRow("folder") << "." << false;
        QTest::newRow("missing") << "brak.txt" << false;
        QTest::newRow("empty path") << QString() << false;
    }

    void fileExists() {
        QFETCH(QString, name);
        QFETCH(bool, exists);
        dir_.write(QStringLiteral("f.txt"), "x");
        QCOMPARE(FileSystem::fileExists(name.isNull() ? QString() : dir_.filePath(name)), exists);
    }

    // --- the file-open dialog -----------------------------------------------

    void dialogShowsScenariosInAnyLetterCase() {
        for (const char* name : {"a.kro", "B.KRO", "c.Kro", "d.txt", "e.kroo"})
            dir_.write(QString::fromLatin1(name), "x");
        QVERIFY(QDir(dir_.path()).mkdir(QStringLiteral("sub")));
        dir_.write(QStringLiteral("first.Kro"), "x");
        QtFileOpenDialog dialog({});
        onModal([&](QWidget* modal) {
            typeName(modal, dir_.filePath(QStringLiteral("first.Kro")));
            acceptDialog(modal);
        });
        QVERIFY(dialog.execute(nullptr).has_value());

        QStringList filters;
        QString combo;
        QStringList shown;
        onModal([&](QWidget* modal) {
            auto* fd = qobject_cast<QFileDialog*>(modal);
            auto* view = modal->findChild<QAbstractItemView*>(QStringLiteral("listView"));
            if (auto* types = modal->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")))
                combo = types->currentText();
            if (fd && view) {
                filters = fd->nameFilters();
                auto names = [&] {
                    QStringList list;
                    for (int r = 0; r < view->model()->rowCount(view->rootIndex()); ++r)
                        list << view->model()->index(r, 0, view->rootIndex()).data().toString();
                    list.sort(Qt::CaseInsensitive);
                    return list;
                };
                // The folder is read in the background.
                [&] { QTRY_COMPARE((shown = names()).size(), 5); }();
            }
            qobject_cast<QDialog*>(modal)->reject();
        });
        QCOMPARE(outcome(dialog.execute(nullptr)), QStringLiteral("(cancelled)"));
        QCOMPARE(filters, QStringList{QStringLiteral("Scenariusze (*.Kro)")});
        QCOMPARE(combo, QStringLiteral("Scenariusze (*.Kro)"));
        QCOMPARE(shown, (QStringList{"a.kro", "B.KRO", "c.Kro", "first.Kro", "sub"}));
    }

    void dialogReturnsFullPathAndOffersItAgain() {
        dir_.write(QStringLiteral("Zamek.KRO"), "x");
        const QString full = QDir(dir_.path()).absoluteFilePath(QStringLiteral("Zamek.KRO"));
        QtFileOpenDialog dialog({QStringLiteral("Otwórz scenariusz"), {}, true, false});
        QString title;
        onModal([&](QWidget* modal) {
            title = modal->windowTitle();
            typeName(modal, full);
            acceptDialog(modal);
        });
        QCOMPARE(outcome(dialog.execute(nullptr)), full);
        QCOMPARE(dialog.fileName(), full);
        QCOMPARE(title, QStringLiteral("Otwórz scenariusz"));

        QString offered;
        onModal([&](QWidget* modal) {
            offered = qobject_cast<QFileDialog*>(modal)->selectedFiles().value(0);
            qobject_cast<QDialog*>(modal)->reject();
        });
        QCOMPARE(outcome(dialog.execute(nullptr)), QStringLiteral("(cancelled)"));
        QCOMPARE(offered, full);
        QCOMPARE(dialog.fileName(), full);
    }

    void dialogAddsTheDefaultExtension() {
        QtFileOpenDialog dialog({{}, QStringLiteral("Kro"), false, false});
        onModal([&](QWidget* modal) {
            typeName(modal, dir_.filePath(QStringLiteral("nowy")));
            acceptDialog(modal);
        });
        QCOMPARE(outcome(dialog.execute(nullptr)), dir_.filePath(QStringLiteral("nowy.Kro")));
    }

    // What the dialog does with a name that does not exist (or whose folder does
    // not): accept it, refuse it with a warning, or ask first.
    void dialogWithANewName_data() {
        QTest::addColumn<bool>("mustExist");
        QTest::addColumn<bool>("prompt");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("answer"); // the button for the box, 0 when none comes
        QTest::addColumn<bool>("accepted");
        using B = QMessageBox;
        QTest::newRow("any file") << false << false << "nowy.Kro" << 0 << true;
        QTest::newRow("must exist") << true << false << "nowy.Kro" << int(B::Ok) << false;
        QTest::newRow("prompt, yes") << false << true << "nowy.Kro" << int(B::Yes) << true;
        QTest::newRow("prompt, no") << false << true << "nowy.Kro" << int(B::No) << false;
        QTest::newRow("prompt, file exists") << false << true << "stary.Kro" << 0 << true;
        QTest::newRow("missing folder") << false << false << "brak/nowy.Kro" << int(B::Ok) << false;
        QTest::newRow("missing folder, prompt")
            << false << true << "brak/nowy.Kro" << int(B::Ok) << false;
        QTest::newRow("missing folder, must exist")
            << true << false << "brak/nowy.Kro" << int(B::Ok) << false;
    }

    void dialogWithANewName() {
        QFETCH(bool, mustExist);
        QFETCH(bool, prompt);
        QFETCH(QString, name);
        QFETCH(int, answer);
        QFETCH(bool, accepted);
        dir_.write(QStringLiteral("stary.Kro"), "x");
        const QString path = dir_.filePath(name);
        QtFileOpenDialog dialog({{}, QStringLiteral("Kro"), mustExist, prompt});
        bool boxCame = false;
        bool stillOpen = false;
        onModal([&](QWidget* modal) {
            auto* fd = qobject_cast<QDialog*>(modal);
            // The box, if any, shows before its own event loop runs.
            onBoxOf(fd, [&](QWidget* box) {
                boxCame = true;
                clickBox(box, answer ? QMessageBox::StandardButton(answer) : QMessageBox::NoButton);
            });
            typeName(fd, path);
            fd->accept();
            stillOpen = fd->isVisible();
            if (stillOpen)
                fd->reject();
        });
        const QString result = outcome(dialog.execute(nullptr));
        QCOMPARE(boxCame, answer != 0);
        QCOMPARE(stillOpen, !accepted);
        QCOMPARE(result, accepted ? path : QStringLiteral("(cancelled)"));
    }

    // --- test doubles -------------------------------------------------------

    void recordingBoxesTakeExpectedBoxesInOrder() {
        RecordingMessageBoxes boxes;
        boxes.expectMessage(QStringLiteral("Koniec"));
        boxes.expectError(QStringLiteral("Disk full"));
        boxes.message(QStringLiteral("Koniec"));
        QEXPECT_FAIL("", "one expected box has not come", Continue);
        boxes.verifyAllShown();
        QCOMPARE(boxes.mismatches(), 0);
        boxes.error(AppError(AppError::DiskFull));
        QVERIFY(boxes.verifyAllShown());
        QCOMPARE(boxes.boxes().size(), 2);
        QCOMPARE(boxes.boxes()[1].code, int(AppError::DiskFull));
    }

    void recordingBoxesFailOnAnUnexpectedBox() {
        RecordingMessageBoxes boxes;
        boxes.expectError(QStringLiteral("Disk full"));
        QEXPECT_FAIL("", "a message came where an error was expected", Continue);
        boxes.message(QStringLiteral("Disk full"));
        QCOMPARE(boxes.mismatches(), 1);
        QCOMPARE(boxes.boxes().size(), 1);
    }

    void scriptedDialogAnswersInTurn() {
        ScriptedFileDialog dialog;
        const QString path = dir_.filePath(QStringLiteral("a.Kro"));
        dialog.answer(path);
        dialog.cancel();
        QCOMPARE(outcome(dialog.execute(nullptr)), path);
        QCOMPARE(outcome(dialog.execute(nullptr)), QStringLiteral("(cancelled)"));
        QCOMPARE(dialog.fileName(), path);
        QEXPECT_FAIL("", "no answer is queued", Continue);
        QCOMPARE(outcome(dialog.execute(nullptr)), QStringLiteral("(cancelled)"));
        QCOMPARE(dialog.calls(), 3);
    }

private:
    void corpusRows(const QString& group) {
        QTest::addColumn<QString>("path");
        const QStringList paths = corpusFiles(group);
        // A missing corpus fails: loading the folder gives an error that names it.
        if (paths.isEmpty())
            QTest::newRow("no corpus files") << corpusFolder(group);
        for (const QString& path : paths)
            QTest::newRow(qPrintable(QFileInfo(path).fileName())) << path;
    }

    TestFolder dir_;
};

KIT_TEST_MAIN(TestPlatform)
#include "tst_platform.moc"
