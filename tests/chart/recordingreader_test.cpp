// Reading recordings back: our own files, files that are not ours, and the
// sampling of big ones.
#include "session/liverecorder.h"
#include "session/recordingreader.h"
#include "support/file_kinds.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

QString write(const QTemporaryDir &dir, const char *name, const QByteArray &bytes)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

const qint64 kNoon = QDateTime(QDate(2026, 5, 1), QTime(12, 0), Qt::UTC).toMSecsSinceEpoch();

std::string text(const std::vector<RecordedSample> &samples)
{
    std::string out;
    for (const RecordedSample &s : samples)
        out += "(" + std::to_string(s.msSinceEpoch - kNoon) + " ms, " + std::to_string(s.rpm) + ", " +
               std::to_string(s.advance) + ") ";
    return out;
}

TEST(RecordingReader, PlaysBackWhatTheRecorderWrote)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ride.csv"));
    LiveRecorder recorder;
    ASSERT_TRUE(recorder.start(path));
    const QDateTime start = QDateTime::fromMSecsSinceEpoch(kNoon, Qt::UTC);
    LiveData live;
    for (const auto &[ms, rpm, advance] : std::vector<std::tuple<int, int, int>>{{0, 1200, 8}, {330, 2500, 17}, {660, 6100, 33}}) {
        live.rpm = static_cast<std::uint16_t>(rpm);
        live.advance = static_cast<std::uint8_t>(advance);
        recorder.append(start.addMSecs(ms), live);
    }
    recorder.stop();

    const Recording read = readRecording(path);
    ASSERT_EQ(read.error, RecordingError::None) << describeRecordingError(read).toStdString();
    EXPECT_EQ(text(read.samples), "(0 ms, 1200, 8) (330 ms, 2500, 17) (660 ms, 6100, 33) ");
    EXPECT_FALSE(read.sampled);
    EXPECT_EQ(read.skippedRows, 0);
}

TEST(RecordingReader, FilesThatAreNotRecordingsGetAClearError)
{
    struct Case
    {
        const char *what;
        QByteArray bytes;
        RecordingError expected;
        QString detail;
        std::string expectedSamples;
        qint64 expectedSkipped;
    };
    const QByteArray noLineEnd(10000, 'x');
    const std::vector<Case> cases{
        {"empty", "", RecordingError::Empty, {}, "", 0},
        {"another table", "item,price\nbolt,3\n", RecordingError::NotARecording, {}, "", 0},
        {"no line end at all", noLineEnd, RecordingError::NotARecording, {}, "", 0},
        {"binary", QByteArray("\x00\x01\x02\xff\xfe,\x00\n\x10", 9), RecordingError::NotARecording, {}, "", 0},
        {"advance missing", "time,rpm,voltage_v\n2026-05-01T12:00:00.000Z,900,12.0\n",
         RecordingError::MissingColumns, QStringLiteral("advance_deg"), "", 0},
        {"rpm and advance missing", "time,voltage_v\n", RecordingError::MissingColumns,
         QStringLiteral("rpm, advance_deg"), "", 0},
        {"header only", "time,rpm,advance_deg\n", RecordingError::NoRows, {}, "", 0},
        {"only junk rows", "time,rpm,advance_deg\nyesterday,fast,much\n,,\n", RecordingError::NoRows, {}, "", 2},
        {"byte order mark before the header", "\xEF\xBB\xBFtime,rpm,advance_deg\n2026-05-01T12:00:00.010Z,900,4\n",
         RecordingError::None, {}, "(10 ms, 900, 4) ", 0},
        {"columns reordered, extra ones, CRLF, a junk row and a short row",
         "note,advance_deg,rpm,time\r\nx,12,3400,2026-05-01T12:00:01.500Z\r\nx,oops,1,2\r\nx,3\r\n"
         "y,30,8000,2026-05-01T12:00:02.000Z\r\n",
         RecordingError::None, {}, "(1500 ms, 3400, 12) (2000 ms, 8000, 30) ", 2},
    };
    QTemporaryDir dir;
    for (const Case &c : cases) {
        const Recording read = readRecording(write(dir, "case.csv", c.bytes));
        EXPECT_EQ(read.error, c.expected) << c.what << ": " << describeRecordingError(read).toStdString();
        EXPECT_EQ(read.detail, c.detail) << c.what;
        EXPECT_EQ(text(read.samples), c.expectedSamples) << c.what;
        EXPECT_EQ(read.skippedRows, c.expectedSkipped) << c.what;
    }
}

// Opening a FIFO as a recording held the window until something wrote to it.
TEST(RecordingReader, ReadsFilesAndLinksAndRefusesTheRestAtOnce)
{
    for (const FileKind kind : kFileKinds) {
        SCOPED_TRACE(kindName(kind));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ride.csv"));
        ASSERT_TRUE(makeFileKind(path, kind, "time,rpm,advance_deg\n2026-05-01T12:00:00.010Z,900,4\n"));
        const Recording read = readRecording(path);
        EXPECT_EQ(read.error, isUsable(kind) ? RecordingError::None : RecordingError::CannotOpen);
        EXPECT_EQ(text(read.samples), isUsable(kind) ? "(10 ms, 900, 4) " : "");
        EXPECT_EQ(read.detail.isEmpty(), isUsable(kind)) << read.detail.toStdString();
    }
}

TEST(RecordingReader, BigFileIsSampledEvenlyInFileOrder)
{
    // Rows of 40 bytes, 10 ms apart, past the size read whole.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("long.csv"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("time,rpm,advance_deg\n");
    const qint64 rows = kWholeFileBytes / 40 + 50000;
    QByteArray chunk;
    for (qint64 i = 0; i < rows; ++i) {
        const QDateTime when = QDateTime::fromMSecsSinceEpoch(kNoon + i * 10, Qt::UTC);
        // rpm carries the row number so the sample's place can be checked.
        chunk += when.toString(Qt::ISODateWithMs).toLatin1() + "," +
                 QByteArray::number(i).rightJustified(7, '0') + ",20\n";
        if (chunk.size() > (1 << 20)) {
            file.write(chunk);
            chunk.clear();
        }
    }
    file.write(chunk);
    file.close();

    const Recording read = readRecording(path);
    ASSERT_EQ(read.error, RecordingError::None) << describeRecordingError(read).toStdString();
    EXPECT_TRUE(read.sampled);
    EXPECT_EQ(read.skippedRows, 0);
    ASSERT_EQ(read.samples.size(), std::size_t(kSampledRows));
    EXPECT_EQ(read.samples.front().rpm, 0) << "the first row comes first";
    const double spacing = double(rows) / kSampledRows;
    for (std::size_t i = 0; i < read.samples.size(); ++i) {
        const RecordedSample &s = read.samples[i];
        ASSERT_NEAR(s.rpm, i * spacing, 1.5) << "sample " << i;
        ASSERT_EQ(s.msSinceEpoch, kNoon + s.rpm * 10) << "sample " << i;
    }
}

TEST(RecordingReader, RideTimeRunsThroughTheRidingNotTheBreaks)
{
    struct Case
    {
        const char *what;
        std::vector<qint64> stamps; // ms since noon
        std::vector<qint64> expected;
    };
    const std::vector<Case> cases{
        {"even rows", {0, 330, 660}, {0, 330, 660}},
        {"a pause of exactly the longest", {0, 10000, 10300}, {0, 10000, 10300}},
        {"a recording continued the next day", {0, 300, 86400000, 86400300}, {0, 300, 10300, 10600}},
        {"a clock set back", {5000, 5300, 1000, 1300}, {0, 300, 300, 600}},
        {"nothing", {}, {}},
    };
    for (const Case &c : cases) {
        std::vector<RecordedSample> samples;
        for (const qint64 ms : c.stamps)
            samples.push_back({kNoon + ms, 3000, 20});
        EXPECT_EQ(rideTimes(samples), c.expected) << c.what;
    }

    const std::vector<std::pair<qint64, const char *>> texts{
        {0, "0:00.0"}, {83499, "1:23.4"}, {302000, "5:02.0"}, {59999, "0:59.9"}, {3723400, "62:03.4"}, {-5, "0:00.0"}};
    for (const auto &[ms, expected] : texts)
        EXPECT_EQ(rideTimeText(ms).toStdString(), expected) << ms << " ms";
}

} // namespace
