#pragma once

#include "link/liveframe.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QJsonObject>

// One live-data frame as a row of a log: the same columns for the command
// line's text, CSV and JSON and for a recording. Storing progress is the
// share of the unit's storing done (0..100), 0 while it is not storing.
namespace liverow {

// "time,rpm,voltage_v,advance_deg,blocking,neutral,side_stand,storing_percent,data_error"
QByteArray csvHeader();
// One CSV line (with its line end). Time is ISO 8601 with milliseconds; the
// switches are 1 when on (neutral and side stand report 0 for on).
QByteArray csvRow(const QDateTime &when, const LiveData &live);
QJsonObject json(const QDateTime &when, const LiveData &live);
// One line for a person at a terminal: the time of day, the values with their
// units, the switches as on/off, the data error as yes/no.
QByteArray text(const QDateTime &when, const LiveData &live);

// The three forms of a log, as the command line's live writes them and the
// window's recording (CSV) continues them.
enum class Format { Text, Csv, Json };
// What a log starts with: the CSV header; nothing for the others.
QByteArray header(Format format);
// One row with its line end (JSON: one compact object on a line).
QByteArray row(Format format, const QDateTime &when, const LiveData &live);
// Whether a log's first line (without its line end) is one of this form with
// these columns, so that rows may be added to it: the CSV header, a JSON row
// with the same keys, a text row with the same words.
bool startsLog(Format format, QByteArrayView firstLine);

// The share of storing done for a storing count (unitStoringPercent).
int storingPercent(std::uint16_t savingCountdown);

} // namespace liverow
