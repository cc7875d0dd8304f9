#include "session/recordingreader.h"

#include "params/regularfile.h"

#include <QDateTime>
#include <QFile>
#include <QStringList>

#include <algorithm>
#include <array>
#include <optional>

namespace {

constexpr std::array<const char *, 3> kNeededColumns{"time", "rpm", "advance_deg"};

struct Columns
{
    int time = -1;
    int rpm = -1;
    int advance = -1;
    int count = 0;
};

QByteArray trimmedLine(QByteArray line)
{
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return line;
}

std::optional<RecordedSample> parseRow(const QByteArray &line, const Columns &columns)
{
    const QList<QByteArray> cells = trimmedLine(line).split(',');
    if (cells.size() < columns.count)
        return std::nullopt;
    const QDateTime when = QDateTime::fromString(QString::fromLatin1(cells[columns.time].trimmed()), Qt::ISODateWithMs);
    bool rpmOk = false;
    bool advanceOk = false;
    const int rpm = cells[columns.rpm].trimmed().toInt(&rpmOk);
    const int advance = cells[columns.advance].trimmed().toInt(&advanceOk);
    if (!when.isValid() || !rpmOk || !advanceOk)
        return std::nullopt;
    return RecordedSample{when.toMSecsSinceEpoch(), rpm, advance};
}

// Reads one line of at most kMaxLineBytes; a longer one is consumed up to its
// end and reported as empty, so it counts as a row not understood.
QByteArray readBoundedLine(QFile &file, bool &tooLong)
{
    QByteArray line = file.readLine(kMaxLineBytes + 1);
    tooLong = line.size() > kMaxLineBytes && !line.endsWith('\n');
    if (tooLong) {
        char c = 0;
        while (file.getChar(&c) && c != '\n') {
        }
        return {};
    }
    return line;
}

} // namespace

Recording readRecording(const QString &path)
{
    Recording result;
    QFile file(path);
    if (!openRegularFile(file, QIODevice::ReadOnly, &result.detail)) {
        result.error = RecordingError::CannotOpen;
        return result;
    }
    result.fileBytes = file.size();
    if (result.fileBytes == 0) {
        result.error = RecordingError::Empty;
        return result;
    }

    bool tooLong = false;
    const QByteArray headerLine = readBoundedLine(file, tooLong);
    QByteArray header = trimmedLine(headerLine);
    // A spreadsheet that saved the file again may have put a byte order mark first.
    if (header.startsWith("\xEF\xBB\xBF"))
        header.remove(0, 3);
    const QList<QByteArray> names = header.split(',');
    if (tooLong || names.size() < 2) {
        result.error = RecordingError::NotARecording;
        return result;
    }
    Columns columns;
    columns.count = int(names.size());
    QStringList missing;
    for (const char *needed : kNeededColumns) {
        const int at = int(names.indexOf(QByteArray(needed)));
        if (at < 0)
            missing << QString::fromLatin1(needed);
        else if (qstrcmp(needed, "time") == 0)
            columns.time = at;
        else if (qstrcmp(needed, "rpm") == 0)
            columns.rpm = at;
        else
            columns.advance = at;
    }
    if (missing.size() == int(kNeededColumns.size())) {
        result.error = RecordingError::NotARecording;
        return result;
    }
    if (!missing.isEmpty()) {
        result.error = RecordingError::MissingColumns;
        result.detail = missing.join(QStringLiteral(", "));
        return result;
    }

    const qint64 bodyStart = file.pos();
    auto take = [&](const QByteArray &line) {
        if (trimmedLine(line).isEmpty() && !tooLong)
            return;
        if (const auto sample = parseRow(line, columns))
            result.samples.push_back(*sample);
        else
            ++result.skippedRows;
    };

    if (result.fileBytes <= kWholeFileBytes) {
        while (!file.atEnd())
            take(readBoundedLine(file, tooLong));
    } else {
        result.sampled = true;
        const qint64 body = result.fileBytes - bodyStart;
        qint64 lastRowStart = -1;
        for (int i = 0; i < kSampledRows; ++i) {
            const qint64 at = bodyStart + body * i / kSampledRows;
            if (!file.seek(at))
                break;
            // Position 0 of the body is a row start; elsewhere skip the rest of
            // the row the position fell into.
            if (at > bodyStart) {
                file.seek(at - 1);
                readBoundedLine(file, tooLong);
            }
            const qint64 rowStart = file.pos();
            if (rowStart <= lastRowStart || file.atEnd())
                continue;
            lastRowStart = rowStart;
            take(readBoundedLine(file, tooLong));
        }
    }
    if (result.samples.empty()) {
        result.error = RecordingError::NoRows;
        return result;
    }
    return result;
}

QString describeRecordingError(const Recording &recording)
{
    switch (recording.error) {
    case RecordingError::None:
        return {};
    case RecordingError::CannotOpen:
        return QStringLiteral("The file cannot be opened: %1").arg(recording.detail);
    case RecordingError::Empty:
        return QStringLiteral("The file is empty.");
    case RecordingError::NotARecording:
        return QStringLiteral("The file is not a live-data recording.");
    case RecordingError::MissingColumns:
        return QStringLiteral("The recording lacks the columns %1.").arg(recording.detail);
    case RecordingError::NoRows:
        return QStringLiteral("The recording holds no readable rows.");
    }
    return {};
}

std::vector<qint64> rideTimes(const std::vector<RecordedSample> &samples)
{
    std::vector<qint64> times;
    times.reserve(samples.size());
    qint64 ride = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (i > 0)
            ride += std::clamp<qint64>(samples[i].msSinceEpoch - samples[i - 1].msSinceEpoch, 0, kLongestPauseMs);
        times.push_back(ride);
    }
    return times;
}

QString rideTimeText(qint64 ms)
{
    const qint64 tenths = std::max<qint64>(0, ms) / 100;
    return QStringLiteral("%1:%2.%3")
        .arg(tenths / 600)
        .arg(tenths / 10 % 60, 2, 10, QLatin1Char('0'))
        .arg(tenths % 10);
}
