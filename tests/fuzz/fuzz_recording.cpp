// A live-data recording is a CSV file the chart opens and the recorder
// continues. Opening any bytes must give an answer that agrees with itself.
// Continuing is the riskier half: the recorder must refuse whatever the chart
// would not read as a recording (rather than spoil someone's file), leave
// every byte that was there as it was, and add rows that the chart then reads
// back exactly, after the samples that were already there.
#include "fuzzcheck.h"
#include "link/liverow.h"
#include "session/liverecorder.h"
#include "session/recordingreader.h"

#include <QBuffer>
#include <QFile>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {

std::unique_ptr<ScratchFolder> scratch;

QByteArray describe(const Recording &r)
{
    QByteArray text = "error " + QByteArray::number(static_cast<int>(r.error)) + " [" + r.detail.toUtf8() + "] "
                      + QByteArray::number(r.samples.size()) + " samples, " + QByteArray::number(r.skippedRows)
                      + " skipped:";
    for (const RecordedSample &s : r.samples)
        text += " " + QByteArray::number(s.msSinceEpoch) + "/" + QByteArray::number(s.rpm) + "/"
                + QByteArray::number(s.advance);
    return text;
}

Recording readBytes(const QByteArray &bytes)
{
    const QString path = scratch->path(QStringLiteral("live.csv"));
    if (!writeScratchFile(path, bytes))
        fuzzFail("cannot write the scratch file");
    return readRecording(path);
}

bool sameSample(const RecordedSample &a, const RecordedSample &b)
{
    return a.msSinceEpoch == b.msSinceEpoch && a.rpm == b.rpm && a.advance == b.advance;
}

// The frames the recorder is given, taken from the input so that any values
// reach the writer; one to three of them, 55 ms apart.
std::vector<std::pair<QDateTime, LiveData>> rowsFrom(const QByteArray &input)
{
    const std::size_t hash = qHash(input);
    std::vector<std::pair<QDateTime, LiveData>> rows;
    const qint64 start = 946684800000 + static_cast<qint64>(hash % 3155760000000ull);
    for (std::size_t i = 0; i < 1 + hash % 3; ++i) {
        Frame frame{};
        for (std::size_t k = 0; k < frame.size(); ++k)
            frame[k] = input.isEmpty() ? static_cast<std::uint8_t>(k * 7 + i)
                                       : static_cast<std::uint8_t>(input[qsizetype((k + i * 31) % std::size_t(input.size()))]);
        rows.emplace_back(QDateTime::fromMSecsSinceEpoch(start + qint64(i) * 55), decodeLiveData(frame));
    }
    return rows;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Rows carry local time without an offset; in one zone every time reads back alike.
    qputenv("TZ", "UTC");
    scratch = std::make_unique<ScratchFolder>();
    return scratch->valid() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const Recording before = readBytes(input);
    fuzzRequire(before.fileBytes == input.size() && !before.sampled, "a small file was not read whole",
                describe(before));
    fuzzRequire((before.error == RecordingError::Empty) == input.isEmpty(), "empty is not what is empty",
                describe(before));
    fuzzRequire((before.error == RecordingError::None) == !before.samples.empty(),
                "samples and the error disagree", describe(before));
    fuzzRequire(describeRecordingError(before).isEmpty() == (before.error == RecordingError::None),
                "the error has no words, or no error has some", describe(before));
    fuzzRequire(before.error != RecordingError::MissingColumns || !before.detail.isEmpty(),
                "missing columns not named", describe(before));
    fuzzRequire(qint64(before.samples.size()) + before.skippedRows <= input.count('\n') + 1,
                "more rows than lines", describe(before));

    // The recorder owns the device and ends it; the bytes outlive it.
    QByteArray file = input;
    auto buffer = std::make_unique<QBuffer>(&file);
    if (!buffer->open(QIODevice::ReadWrite))
        fuzzFail("cannot open the buffer");
    LiveRecorder recorder;
    if (!recorder.start(std::move(buffer), QStringLiteral("live.csv"))) {
        fuzzRequire(!recorder.error().isEmpty(), "a refused file gave no reason");
        fuzzRequire(file == input, "a refused file was changed", file.toHex(' '));
        fuzzRequire(!input.isEmpty(), "an empty file was refused", recorder.error().toUtf8());
        return 0;
    }
    fuzzRequire(input.isEmpty() || before.error == RecordingError::None || before.error == RecordingError::NoRows,
                "the recorder continues a file the chart does not take for a recording", describe(before));

    const auto rows = rowsFrom(input);
    for (const auto &[when, live] : rows)
        fuzzRequire(recorder.append(when, live), "a row could not be added", recorder.error().toUtf8());
    fuzzRequire(recorder.stop(), "the rows could not be written", recorder.error().toUtf8());
    const QByteArray written = file;
    fuzzRequire(written.startsWith(input), "continuing changed what was in the file", written.toHex(' '));

    const Recording after = readBytes(written);
    std::vector<RecordedSample> expected = input.isEmpty() ? std::vector<RecordedSample>{} : before.samples;
    for (const auto &[when, live] : rows)
        expected.push_back({when.toMSecsSinceEpoch(), live.rpm, live.advance});
    bool same = after.error == RecordingError::None && after.samples.size() == expected.size();
    for (std::size_t i = 0; same && i < expected.size(); ++i)
        same = sameSample(after.samples[i], expected[i]);
    fuzzRequire(same, "the continued recording does not read back as before plus the new rows",
                "before: " + describe(before) + "\nafter:  " + describe(after) + "\nfile:\n" + written);
    fuzzRequire(after.skippedRows == (input.isEmpty() ? 0 : before.skippedRows),
                "rows that were read before are skipped now", describe(before) + "\n" + describe(after));
    return 0;
}
