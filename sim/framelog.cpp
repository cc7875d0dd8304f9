#include "sim/framelog.h"

FrameLog::~FrameLog()
{
    if (file != nullptr)
        std::fclose(file);
}

bool FrameLog::open(const QString &path, bool logToStderr, QString *problem)
{
    toStderr = logToStderr;
    if (path.isEmpty())
        return true;
    file = std::fopen(path.toLocal8Bit().constData(), "w");
    if (file == nullptr) {
        *problem = QStringLiteral("cannot write the log %1").arg(path);
        return false;
    }
    return true;
}

void FrameLog::frame(double ms, int code, bool checkValid, const QString &outcome)
{
    const QString hex = QString::number(code & 0xFF, 16).toUpper().rightJustified(2, QLatin1Char('0'));
    write(QStringLiteral("%1 rx 0x%2 check=%3 -> %4\n")
              .arg(QString::number(ms, 'f', 3), hex,
                   checkValid ? QStringLiteral("ok") : QStringLiteral("bad"), outcome)
              .toLatin1());
}

void FrameLog::garbage(double ms, int count)
{
    write(QStringLiteral("%1 garbage %2 bytes\n").arg(QString::number(ms, 'f', 3)).arg(count).toLatin1());
}

void FrameLog::write(const QByteArray &line)
{
    // Flushed line by line: a test reads the log while the simulation runs.
    if (file != nullptr) {
        std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), file);
        std::fflush(file);
    }
    if (toStderr) {
        std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stderr);
        std::fflush(stderr);
    }
}
