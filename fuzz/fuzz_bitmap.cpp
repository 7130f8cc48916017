// Fuzz target: any bytes as a picture file, checked and loaded.

#include "fuzz/FuzzTarget.h"
#include "platform/core/AppError.h"
#include "platform/core/Bitmap.h"

#include <QFile>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.bmp"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
        return 0;
    file.close();
    try {
        const Bitmap bitmap = Bitmap::load(path);
        (void)bitmap.image().pixel(0, 0);
    } catch (const AppError&) {
    }
    return 0;
}
