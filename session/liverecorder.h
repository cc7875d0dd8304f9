#pragma once

#include "link/liveframe.h"
#include "link/liverow.h"
#include "session/unitsession.h"

#include <QByteArray>
#include <QDateTime>
#include <QIODevice>
#include <QObject>
#include <QString>

#include <memory>

// Records live-data frames as rows of a log: the window's CSV recording, the
// same columns as the command line's `live --csv`, or the command line's
// JSON and text rows (the one writer in link/liverow). Rows are held in
// memory for at most a given time of their own (the window's: a second) and
// then written and flushed, so a crash costs at most that much; stop() writes
// the rest. A write error ends the recording and keeps the file's name and
// the reason for the owner's message.
//
// It is one more view of a session: following one, it appends a row for each
// live frame the session receives while recording, stamped with the time of
// its arrival, and reports each row or the failure.
class LiveRecorder : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 kFlushIntervalMs = 1000;

    // holdMs 0 writes and flushes every row as it comes.
    explicit LiveRecorder(liverow::Format format = liverow::Format::Csv, qint64 holdMs = kFlushIntervalMs);
    ~LiveRecorder() override;

    // Records the session's live frames from now on, while recording.
    void follow(const UnitSession &session);

    // Opens the file for appending. A new or empty file gets the header (CSV);
    // a file that holds anything else than a recording of the same form and
    // columns, or a path that names no regular file (a folder, a FIFO, a
    // device), is refused rather than spoiled. A last row cut short is ended
    // before the first new one. False with error() when it cannot be used.
    bool start(const QString &path);
    // The same over a device the caller opened (read-write or write-only);
    // name is what error() reports. An empty device gets the header.
    bool start(std::unique_ptr<QIODevice> device, const QString &name);

    // One row for a frame received at `when`. False when the write failed:
    // the recording has then stopped and error() says why.
    bool append(const QDateTime &when, const LiveData &live);

    // Writes what is held and closes the file. False when that last write
    // failed (error() says why); safe to call when not recording.
    bool stop();

    bool isRecording() const { return device != nullptr; }
    // Rows accepted since start (written or held for the next flush).
    qint64 rows() const { return rowCount; }
    // Bytes held in memory, not yet in the file.
    qint64 pendingBytes() const { return pending.size(); }
    const QString &fileName() const { return name; }
    // Empty while all is well.
    const QString &error() const { return failure; }

signals:
    // A followed session's frame became a row: the rows so far.
    void rowRecorded(qint64 rows);
    // A followed session's frame could not be written: the recording has
    // stopped and error() says why.
    void failed();

private:
    bool writePending();
    void fail(const QString &reason);

    liverow::Format format;
    qint64 holdMs;
    std::unique_ptr<QIODevice> device;
    QString name;
    QString failure;
    QByteArray pending;
    qint64 pendingSinceMs = 0;
    qint64 rowCount = 0;
};
