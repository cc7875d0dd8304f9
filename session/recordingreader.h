#pragma once

#include <QString>

#include <vector>

// Reads a live-data recording back for the chart: time, engine speed and
// actual advance of each row, found by their column names, so extra or
// reordered columns do not matter.
//
// A big file is sampled, never read whole: a file up to kWholeFileBytes is
// read row by row; a bigger one gives kSampledRows rows taken at evenly spaced
// byte positions (each the first whole row after its position). The rows of a
// recording are all about the same length, so that is close to evenly spaced
// in time, and the cost is the same for 100 MB and 1 GB.

enum class RecordingError {
    None,
    CannotOpen,     // detail: the system's reason, or what the path names instead of a file
    Empty,          // nothing in the file
    NotARecording,  // the first line is not a CSV header with our columns
    MissingColumns, // detail: the missing column names, comma separated
    NoRows,         // a header but not one readable row
};

struct RecordedSample
{
    qint64 msSinceEpoch;
    int rpm;
    int advance;
};

struct Recording
{
    RecordingError error = RecordingError::None;
    QString detail;
    std::vector<RecordedSample> samples; // in file order
    bool sampled = false;                // true when only part of the rows were read
    qint64 skippedRows = 0;              // rows read but not understood
    qint64 fileBytes = 0;
};

inline constexpr qint64 kWholeFileBytes = 8 * 1024 * 1024;
inline constexpr int kSampledRows = 20000;
// Longer lines are not rows of ours (and a file without line ends is not read whole).
inline constexpr int kMaxLineBytes = 4096;

Recording readRecording(const QString &path);

// An English sentence for the error, for logs and the command line; the
// window has its own texts.
QString describeRecordingError(const Recording &recording);

// Playback runs on the ride's own time: milliseconds since the first row, one
// per sample. A row stamped earlier than the one before it (a clock set back)
// adds no time, and a pause longer than kLongestPauseMs (the unit not
// answering, a recording continued another day) counts as kLongestPauseMs,
// so the time runs through the riding rather than the breaks.
inline constexpr qint64 kLongestPauseMs = 10000;
std::vector<qint64> rideTimes(const std::vector<RecordedSample> &samples);

// A ride time as minutes, seconds and tenths ("1:23.4"), the tenths cut, not
// rounded, so a position never shows more than the ride's length.
QString rideTimeText(qint64 ms);
