#pragma once
// Files for tests: writing one, and a fresh temporary folder for each test function.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// Writes a file of the given bytes, making its folder; false on failure.
bool writeFile(const QString& path, const QByteArray& bytes);

// The bytes of the file at `path`; empty when it cannot be read.
QByteArray readFile(const QString& path);

// A temporary folder made afresh for every test function and data row: the
// test class holds one and calls renew() from its init(), so that no test
// sees the files another left behind.
class TestFolder {
public:
    // Replaces the folder by a new, empty one; fails the running test when it cannot.
    void renew();

    QString path() const { return dir().path(); }
    QString filePath(const QString& name) const { return dir().filePath(name); }

    // Writes `bytes` to `name` inside the folder, making the folders it names,
    // and returns the file's path; a failed write fails the running test.
    QString write(const QString& name, const QByteArray& bytes) const;

private:
    const QTemporaryDir& dir() const;

    std::unique_ptr<QTemporaryDir> dir_;
};
