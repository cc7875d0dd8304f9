#include "session/liverecorder.h"

#include "link/liverow.h"
#include "params/regularfile.h"

#include <QFile>

LiveRecorder::LiveRecorder(liverow::Format rowFormat, qint64 rowHoldMs) : format(rowFormat), holdMs(rowHoldMs) {}

LiveRecorder::~LiveRecorder()
{
    stop();
}

void LiveRecorder::follow(const UnitSession &session)
{
    connect(&session, &UnitSession::liveDataReceived, this, [this](const LiveData &live) {
        if (!isRecording())
            return;
        if (append(QDateTime::currentDateTime(), live))
            emit rowRecorded(rowCount);
        else
            emit failed();
    });
}

bool LiveRecorder::start(const QString &path)
{
    stop();
    auto file = std::make_unique<QFile>(path);
    if (!openRegularFile(*file, QIODevice::ReadWrite, &failure)) {
        name = path;
        return false;
    }
    return start(std::move(file), path);
}

bool LiveRecorder::start(std::unique_ptr<QIODevice> opened, const QString &deviceName)
{
    stop();
    name = deviceName;
    failure.clear();
    rowCount = 0;
    pending.clear();
    if (!opened || !opened->isOpen() || !opened->isWritable()) {
        failure = QStringLiteral("the file is not open for writing");
        return false;
    }
    if (opened->size() > 0) {
        // Appending to a foreign file would mix our rows into someone else's
        // data; a file that starts as ours does, with the same columns, is
        // continued. The first line of a log is short: a longer one is no
        // log's.
        constexpr qint64 kLongestFirstLine = 4096;
        QByteArray first = opened->isReadable() && opened->seek(0) ? opened->read(kLongestFirstLine) : QByteArray();
        if (const qsizetype end = first.indexOf('\n'); end >= 0)
            first.truncate(end);
        if (!liverow::startsLog(format, first)) {
            failure = QStringLiteral("the file holds something else than a live-data recording with these columns");
            return false;
        }
        // A last row cut short (a recording killed mid-row, a full disk) is
        // ended first, so that the new rows start on lines of their own.
        const bool cutShort = !opened->seek(opened->size() - 1) || opened->read(1) != "\n";
        if (!opened->seek(opened->size())) {
            failure = opened->errorString();
            return false;
        }
        if (cutShort)
            pending = "\n";
    }
    device = std::move(opened);
    if (device->size() == 0)
        pending = liverow::header(format);
    return writePending();
}

bool LiveRecorder::append(const QDateTime &when, const LiveData &live)
{
    if (!device)
        return false;
    const qint64 ms = when.toMSecsSinceEpoch();
    if (pending.isEmpty())
        pendingSinceMs = ms;
    pending += liverow::row(format, when, live);
    ++rowCount;
    // Row time, not a timer: the rows of the hold time are never held longer
    // than the next frame after it. A clock stepping back writes at once.
    if (ms - pendingSinceMs >= holdMs || ms < pendingSinceMs)
        return writePending();
    return true;
}

bool LiveRecorder::stop()
{
    if (!device)
        return failure.isEmpty();
    const bool written = writePending();
    if (device) {
        device->close();
        device.reset();
    }
    return written;
}

bool LiveRecorder::writePending()
{
    if (pending.isEmpty())
        return true;
    const qint64 written = device->write(pending);
    if (written != pending.size()) {
        fail(written < 0 ? device->errorString()
                         : QStringLiteral("only %1 of %2 bytes were written").arg(written).arg(pending.size()));
        return false;
    }
    if (auto *file = qobject_cast<QFileDevice *>(device.get()); file && !file->flush()) {
        fail(file->errorString());
        return false;
    }
    pending.clear();
    return true;
}

void LiveRecorder::fail(const QString &reason)
{
    failure = reason.isEmpty() ? QStringLiteral("write error") : reason;
    pending.clear();
    if (device) {
        device->close();
        device.reset();
    }
}
