#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// torvo-tci-sim as a child process; its first line of output is its pty.
class SimulatorProcess
{
public:
    explicit SimulatorProcess(const QStringList &arguments = {})
    {
        process.setProgram(QStringLiteral(TORVO_SIM_PATH));
        process.setArguments(arguments);
        process.start();
        if (!process.waitForStarted(5000))
            return;
        while (!process.canReadLine() && process.waitForReadyRead(5000)) {
        }
        pty = QString::fromLocal8Bit(process.readLine()).trimmed();
    }
    ~SimulatorProcess() { stop(); }

    void stop()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        if (!process.waitForFinished(3000))
            process.kill(), process.waitForFinished(3000);
    }

    QString pty;
    QProcess process;
};
