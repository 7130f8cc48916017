#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

bool writeFile(const QString& path, const QByteArray& bytes) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestFolder::renew() {
    dir_.reset(); // the old folder goes first, with whatever the last test left in it
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY2(dir_->isValid(), qPrintable(dir_->errorString()));
}

QString TestFolder::write(const QString& name, const QByteArray& bytes) const {
    const QString path = filePath(name);
    if (!writeFile(path, bytes))
        QTest::qFail(qPrintable(QStringLiteral("cannot write ") + path), __FILE__, __LINE__);
    return path;
}

const QTemporaryDir& TestFolder::dir() const {
    // Data functions run before init(): a folder used there would not be the test's own.
    if (!dir_)
        qFatal("TestFolder used before renew(): call it from the test class's init()");
    return *dir_;
}
