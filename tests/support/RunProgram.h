#pragma once
// A program of the kit run as a separate process, for the tests of its command line.

#include <QProcess>
#include <QString>
#include <QStringList>

// What a run of a program left: its exit status (-1 when it crashed or did not end within 30 s)
// and its output, both read as UTF-8.
struct ProgramRun {
    int status = -1;
    QString out;
    QString err;
};

inline ProgramRun
runProgram(const QString& program, const QStringList& arguments,
           const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    ProgramRun run;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.status = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// tekstowki, the author's command line, where the build put it.
inline ProgramRun tekstowki(const QStringList& arguments) {
    return runProgram(QStringLiteral(KIT_TEKSTOWKI), arguments);
}
