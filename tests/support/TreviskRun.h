#pragma once

#include <QProcess>
#include <QSignalSpy>
#include <QStringList>

namespace trevisk {

// What one run of the program left: its exit code (-1 when it crashed or did not end) and its output.
struct TreviskRun
{
    int code = -1;
    QByteArray out;
    QByteArray err;
};

// Arguments written as one text, split at each '|' so that values may hold spaces.
inline QStringList args(const char* line)
{
    return QString::fromUtf8(line).split(QLatin1Char('|'));
}

// Runs the program (TREVISK_BINARY of the test) to its end, with no display. The test's event loop
// runs meanwhile, so servers the test itself simulates keep answering.
inline TreviskRun runTrevisk(const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(environment);
    QSignalSpy finished(&process, &QProcess::finished);
    process.start(QStringLiteral(TREVISK_BINARY), arguments);
    TreviskRun run;
    if (!finished.wait(20000))
        return run;
    run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

} // namespace trevisk
