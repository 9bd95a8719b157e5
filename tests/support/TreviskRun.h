#pragma once

#include <QProcess>
#include <QSignalSpy>
#include <QStringList>
#include <QTemporaryDir>

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

// The data folder ("data") and settings file ("t.ini") of a run, inside `dir`.
inline QStringList inFolder(const QTemporaryDir& dir)
{
    return QStringList{QStringLiteral("--data-dir"), dir.filePath(QStringLiteral("data"))}
           + QStringList{QStringLiteral("--config"), dir.filePath(QStringLiteral("t.ini"))};
}

// Starts the program (TREVISK_BINARY of the test, unless another is given) with an offscreen
// display, or with none at all.
inline void startTrevisk(QProcess& process,
                         const QStringList& arguments,
                         bool display = false,
                         const QString& program = QStringLiteral(TREVISK_BINARY))
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    if (display)
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
}

// Runs the program to its end, with no display. The test's event loop runs meanwhile, so servers
// the test itself simulates keep answering.
inline TreviskRun runTrevisk(const QStringList& arguments)
{
    QProcess process;
    QSignalSpy finished(&process, &QProcess::finished);
    startTrevisk(process, arguments);
    if (!finished.wait(20000))
        return {};
    const int code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return {code, process.readAllStandardOutput(), process.readAllStandardError()};
}

} // namespace trevisk
