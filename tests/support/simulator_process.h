#pragma once

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

// torvo-tci-sim as a child process. Its first line of output is the path of
// the pseudo-terminal it serves; a machine without pseudo-terminals to give is
// no fault of the code under test, so the tests skip there.
//
// The terminal's name stays reserved as long as this object lives, also after
// the simulator has stopped: the system hands out the lowest free number
// again at once, and a session that goes on trying the name of a unit that
// went away would otherwise reach the simulator of another test running
// beside this one. Holding the terminal's slave side open keeps the number
// taken; once the simulator has gone, the name is gone and opening it fails,
// as it does when an adapter is pulled.
class SimulatorProcess
{
public:
    SimulatorProcess() = default;
    SimulatorProcess(const SimulatorProcess &) = delete;
    SimulatorProcess &operator=(const SimulatorProcess &) = delete;
    ~SimulatorProcess()
    {
        stop();
        if (reserved >= 0)
            ::close(reserved);
    }

    // Empty on success, else why not; skipped is set when the machine has no
    // pseudo-terminal to give.
    QString start(const QStringList &arguments, bool *skipped)
    {
        *skipped = false;
#ifndef TORVO_SIM_PATH
        *skipped = true;
        return QStringLiteral("the simulator's path was not compiled in");
#else
        process.setProgram(QStringLiteral(TORVO_SIM_PATH));
        process.setArguments(arguments);
        process.start();
        if (!process.waitForStarted(kStartMs))
            return QStringLiteral("cannot start the simulator: ") + process.errorString();
        const QDeadlineTimer deadline(kStartMs);
        while (!process.canReadLine() && !deadline.hasExpired()) {
            if (!process.waitForReadyRead(100) && process.state() != QProcess::Running)
                break;
        }
        if (!process.canReadLine()) {
            const QString error = QString::fromLocal8Bit(process.readAllStandardError());
            *skipped = error.contains(QStringLiteral("no pseudo-terminal"));
            return QStringLiteral("no device path from the simulator: ") + error;
        }
        pty = QString::fromLocal8Bit(process.readLine()).trimmed();
        reserved = ::open(QFile::encodeName(pty).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (reserved < 0)
            return QStringLiteral("cannot open %1 to hold it").arg(pty);
        return {};
#endif
    }

    // Ends the simulator as Ctrl+C would; its exit code, or -1 if it did not
    // end cleanly (killed, crashed, never started).
    int stop()
    {
        if (process.state() == QProcess::NotRunning)
            return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        process.terminate();
        if (!process.waitForFinished(kStopMs)) {
            process.kill();
            process.waitForFinished(kStopMs);
            return -1;
        }
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QString pty;
    QProcess process;

private:
    // Bounds on waiting for a process that hangs, not on how fast it is.
    static constexpr int kStartMs = 30000;
    static constexpr int kStopMs = 30000;
    int reserved = -1;
};

// Starts sim with the given arguments inside a test body: skips when the
// machine has no pseudo-terminal, fails with the simulator's reason otherwise.
#define START_SIMULATOR(sim, ...)                                                          \
    do {                                                                                   \
        bool skipped_ = false;                                                             \
        const QString problem_ = (sim).start(QStringList{__VA_ARGS__}, &skipped_);         \
        if (skipped_)                                                                      \
            GTEST_SKIP() << problem_.toStdString();                                        \
        ASSERT_TRUE(problem_.isEmpty()) << problem_.toStdString();                         \
    } while (0)
