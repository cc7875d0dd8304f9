// The live-data recorder's rows, flushing, write errors and stop, against
// hand-written CSV.
#include "session/liverecorder.h"
#include "support/file_kinds.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const QByteArray kHeader = "time,rpm,voltage_v,advance_deg,blocking,neutral,side_stand,storing_percent,data_error\n";

const QDateTime kStart(QDate(2026, 5, 1), QTime(12, 0), Qt::UTC);

struct Frame
{
    qint64 atMs;
    LiveData live;
    QByteArray expectedRow;
};

LiveData live(std::uint16_t rpm, std::uint16_t voltageRaw, std::uint8_t advance, std::uint8_t blocking,
              std::uint8_t neutral, std::uint8_t sideStand, std::uint16_t saving, std::uint8_t dataError)
{
    LiveData d;
    d.rpm = rpm;
    d.voltageRaw = voltageRaw;
    d.advance = advance;
    d.blocking = blocking;
    d.neutral = neutral;
    d.sideStand = sideStand;
    d.savingCountdown = saving;
    d.dataError = dataError;
    return d;
}

// Voltage: raw 2000 is 2000 * 5000 / 8184 = 1221 steps, * 11 + 800 = 14231 mV.
// Neutral and side stand are on at 0; storing 55 of 110 left is 50 % done.
const std::vector<Frame> kFrames{
    {0, live(4321, 2000, 27, 1, 0, 5, 55, 0), "2026-05-01T12:00:00.000Z,4321,14.231,27,1,1,0,50,0\n"},
    {250, live(0, 0, 0, 0, 1, 0, 0, 3), "2026-05-01T12:00:00.250Z,0,0.800,0,0,0,1,0,1\n"},
    {600, live(12000, 2000, 60, 0, 0, 0, 110, 0), "2026-05-01T12:00:00.600Z,12000,14.231,60,0,1,1,0,0\n"},
    {1000, live(900, 0, 5, 0, 1, 1, 1, 0), "2026-05-01T12:00:01.000Z,900,0.800,5,0,0,0,99,0\n"},
};

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<cannot open>");
}

TEST(LiveRecorder, WritesHeaderAndOneRowPerFrame)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ride.csv"));
    LiveRecorder recorder;
    ASSERT_TRUE(recorder.start(path)) << recorder.error().toStdString();
    QByteArray expected = kHeader;
    for (const Frame &f : kFrames) {
        EXPECT_TRUE(recorder.append(kStart.addMSecs(f.atMs), f.live));
        expected += f.expectedRow;
    }
    EXPECT_EQ(recorder.rows(), qint64(kFrames.size()));
    EXPECT_TRUE(recorder.stop());
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_EQ(contents(path).toStdString(), expected.toStdString());
}

TEST(LiveRecorder, RowsReachTheFileOnceASecondOfRowTimeHasPassed)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ride.csv"));
    LiveRecorder recorder;
    ASSERT_TRUE(recorder.start(path));
    struct Step
    {
        std::size_t frame;
        QByteArray expectedInFile;
    };
    // Frames at 0, 250, 600 ms are held; the one at 1000 ms writes all four.
    const std::vector<Step> steps{
        {0, kHeader},
        {1, kHeader},
        {2, kHeader},
        {3, kHeader + kFrames[0].expectedRow + kFrames[1].expectedRow + kFrames[2].expectedRow +
                kFrames[3].expectedRow},
    };
    for (const Step &s : steps) {
        const Frame &f = kFrames[s.frame];
        ASSERT_TRUE(recorder.append(kStart.addMSecs(f.atMs), f.live));
        EXPECT_EQ(contents(path).toStdString(), s.expectedInFile.toStdString()) << "after the row at " << f.atMs
                                                                                 << " ms, still recording";
    }
    EXPECT_TRUE(recorder.isRecording());
}

// A file is continued only by rows of its own form and columns, as the
// command line's `live -o` and the window's recording continue theirs; any
// other file is refused and left as it was. With no hold time every row is
// in the file as soon as it is taken.
TEST(LiveRecorder, ContinuesALogOfItsOwnColumnsAndRefusesAnyOther)
{
    using liverow::Format;
    const QByteArray jsonRow = liverow::row(Format::Json, kStart, kFrames[0].live);
    const struct
    {
        Format format;
        QByteArray other; // a file of other columns
    } cases[] = {
        {Format::Csv, "item,price\nbolt,3\n"},
        {Format::Csv, "time,rpm,voltage_v\n2026-05-01T12:00:00.000Z,0,0.800\n"},
        {Format::Csv, kHeader.chopped(1) + ",extra\n"},
        {Format::Json, QByteArray(jsonRow).replace("\"rpm\"", "\"speed\"")},
        {Format::Json, kHeader},
        {Format::Text, kHeader},
        {Format::Text, liverow::text(kStart, kFrames[0].live).replace(" rpm ", " 1/min ")},
    };
    QTemporaryDir dir;
    int n = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(static_cast<int>(c.format));
        const QString ours = dir.filePath(QStringLiteral("ours%1").arg(++n));
        {
            LiveRecorder first(c.format, 0);
            ASSERT_TRUE(first.start(ours));
            ASSERT_TRUE(first.append(kStart, kFrames[0].live));
            EXPECT_EQ(contents(ours), liverow::header(c.format) + liverow::row(c.format, kStart, kFrames[0].live));
        }
        LiveRecorder second(c.format, 0);
        ASSERT_TRUE(second.start(ours)) << second.error().toStdString();
        second.append(kStart.addMSecs(kFrames[1].atMs), kFrames[1].live);
        second.stop();
        EXPECT_EQ(contents(ours).toStdString(),
                  (liverow::header(c.format) + liverow::row(c.format, kStart, kFrames[0].live)
                   + liverow::row(c.format, kStart.addMSecs(kFrames[1].atMs), kFrames[1].live))
                      .toStdString());

        const QString other = dir.filePath(QStringLiteral("other%1").arg(n));
        QFile file(other);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.other);
        file.close();
        LiveRecorder third(c.format);
        EXPECT_FALSE(third.start(other)) << c.other.constData();
        EXPECT_FALSE(third.isRecording());
        EXPECT_FALSE(third.error().isEmpty());
        EXPECT_EQ(contents(other), c.other);
    }
}

// Kept rows end in a line break; a recording killed mid-row does not.
TEST(LiveRecorder, ARowCutShortIsEndedBeforeTheNextOne)
{
    const QByteArray row0 = kFrames[0].expectedRow;
    const QByteArray row1 = kFrames[1].expectedRow;
    const struct
    {
        const char *what;
        QByteArray before;
        QByteArray after;
    } cases[] = {
        {"whole rows", kHeader + row0, kHeader + row0 + row1},
        {"rows ended by CR LF", kHeader + row0.chopped(1) + "\r\n", kHeader + row0.chopped(1) + "\r\n" + row1},
        {"a row cut short", kHeader + row0.left(30), kHeader + row0.left(30) + "\n" + row1},
        {"a row cut before its line break", kHeader + row0.chopped(1), kHeader + row0 + row1},
    };
    QTemporaryDir dir;
    for (const auto &c : cases) {
        const QString path = dir.filePath(QStringLiteral("ride.csv"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.before);
        file.close();
        LiveRecorder recorder;
        ASSERT_TRUE(recorder.start(path)) << c.what << ": " << recorder.error().toStdString();
        recorder.append(kStart.addMSecs(kFrames[1].atMs), kFrames[1].live);
        EXPECT_TRUE(recorder.stop());
        EXPECT_EQ(contents(path).toStdString(), c.after.toStdString()) << c.what;
    }
}

// Recording into a FIFO or a device would never end or go nowhere.
TEST(LiveRecorder, RecordsIntoFilesAndLinksAndRefusesTheRest)
{
    for (const FileKind kind : kFileKinds) {
        SCOPED_TRACE(kindName(kind));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ride.csv"));
        ASSERT_TRUE(makeFileKind(path, kind));
        LiveRecorder recorder;
        const bool usable = isUsable(kind) || kind == FileKind::Missing;
        EXPECT_EQ(recorder.start(path), usable) << recorder.error().toStdString();
        if (!usable) {
            EXPECT_FALSE(recorder.error().isEmpty());
            EXPECT_EQ(whatIsAt(path), untouched(kind, path));
            continue;
        }
        recorder.append(kStart, kFrames[0].live);
        EXPECT_TRUE(recorder.stop());
        EXPECT_EQ(whatIsAt(path), (kind == FileKind::LinkToRegular ? "link to ride.csv.target: file: " : "file: ")
                                      + (kHeader + kFrames[0].expectedRow).toStdString());
    }
}

TEST(LiveRecorder, FolderThatDoesNotExistIsReportedAtStart)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("missing/ride.csv"));
    LiveRecorder recorder;
    EXPECT_FALSE(recorder.start(path));
    EXPECT_EQ(recorder.fileName(), path);
    EXPECT_FALSE(recorder.error().isEmpty());
}

// A device that takes a given number of bytes and then fails, as a full disk does.
class FillingDevice : public QIODevice
{
public:
    FillingDevice(qint64 room, QByteArray &sink) : room(room), sink(sink) {}

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        if (sink.size() + size > room) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        sink.append(data, size);
        return size;
    }

private:
    qint64 room;
    QByteArray &sink;
};

TEST(LiveRecorder, WriteErrorHalfWayStopsAndSaysWhy)
{
    // Rows every 500 ms are written in threes (rows 1-3 at the row of 1000 ms,
    // rows 4-6 at 2500 ms). Room for the header (86 bytes), the first three
    // rows (51 bytes each) and a little more.
    QByteArray sink;
    auto device = std::make_unique<FillingDevice>(86 + 3 * 51 + 60, sink);
    ASSERT_TRUE(device->open(QIODevice::WriteOnly));
    LiveRecorder recorder;
    ASSERT_TRUE(recorder.start(std::move(device), QStringLiteral("/media/stick/ride.csv")));

    std::vector<bool> results;
    for (int i = 0; i < 8; ++i)
        results.push_back(recorder.append(kStart.addMSecs(i * 500), kFrames[0].live));
    EXPECT_EQ(results, (std::vector<bool>{true, true, true, true, true, false, false, false}));
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_EQ(recorder.fileName(), QStringLiteral("/media/stick/ride.csv"));
    EXPECT_EQ(recorder.error(), QStringLiteral("No space left on device"));
    EXPECT_EQ(recorder.rows(), 6);
    EXPECT_FALSE(recorder.stop()) << "a stop after the failure still reports it";
    EXPECT_EQ(sink.toStdString(), (kHeader + "2026-05-01T12:00:00.000Z,4321,14.231,27,1,1,0,50,0\n"
                                             "2026-05-01T12:00:00.500Z,4321,14.231,27,1,1,0,50,0\n"
                                             "2026-05-01T12:00:01.000Z,4321,14.231,27,1,1,0,50,0\n")
                                      .toStdString());
}

TEST(LiveRecorder, StopWritesTheHeldRows)
{
    QByteArray sink;
    auto device = std::make_unique<FillingDevice>(1 << 20, sink);
    ASSERT_TRUE(device->open(QIODevice::WriteOnly));
    LiveRecorder recorder;
    ASSERT_TRUE(recorder.start(std::move(device), QStringLiteral("ride.csv")));
    recorder.append(kStart.addMSecs(kFrames[0].atMs), kFrames[0].live);
    recorder.append(kStart.addMSecs(kFrames[1].atMs), kFrames[1].live);
    EXPECT_EQ(sink, kHeader);
    EXPECT_TRUE(recorder.stop());
    EXPECT_EQ(sink.toStdString(), (kHeader + kFrames[0].expectedRow + kFrames[1].expectedRow).toStdString());
    EXPECT_FALSE(recorder.append(kStart.addMSecs(2000), kFrames[2].live)) << "a stopped recorder takes no rows";
    EXPECT_EQ(recorder.rows(), 2);
}

} // namespace
