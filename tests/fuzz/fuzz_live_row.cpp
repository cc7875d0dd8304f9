// One live-data frame becomes a row of text, CSV or JSON (the command line's
// live log and the recording). The first 52 bytes are the frame the unit
// sent, the next 8 the moment it came. Whatever the unit sends, the CSV row is
// one line of exactly the header's columns, and the three forms say the same:
// a reader of any of them sees the same values.
#include "fuzzcheck.h"
#include "link/liverow.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QRegularExpression>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

// 2000-01-01 to 2100-01-01: the clock of any workshop computer.
constexpr qint64 kFirstMs = 946684800000;
constexpr qint64 kSpanMs = 3155760000000;

QList<QByteArray> fieldsOf(const QByteArray &line)
{
    return line.chopped(1).split(',');
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Rows carry local time without an offset; in one zone every time reads back alike.
    qputenv("TZ", "UTC");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Frame frame{};
    std::memcpy(frame.data(), data, std::min<std::size_t>(size, frame.size()));
    quint64 stamp = 0;
    if (size > frame.size())
        std::memcpy(&stamp, data + frame.size(), std::min<std::size_t>(size - frame.size(), sizeof stamp));
    const LiveData live = decodeLiveData(frame);
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(kFirstMs + static_cast<qint64>(stamp % kSpanMs));
    const QByteArray detail = hexOf(frame.data(), frame.size()) + " at " + when.toString(Qt::ISODateWithMs).toUtf8();

    const QByteArray header = liverow::csvHeader();
    const QByteArray row = liverow::csvRow(when, live);
    fuzzRequire(row.endsWith('\n') && row.count('\n') == 1 && !row.contains('\r'), "a CSV row is not one line",
                row + detail);
    const QList<QByteArray> names = fieldsOf(header);
    const QList<QByteArray> cells = fieldsOf(row);
    fuzzRequire(cells.size() == names.size(), "a CSV row does not have the header's columns", row + detail);

    const QJsonObject json = liverow::json(when, live);
    fuzzRequire(json.size() == names.size(), "the JSON object does not have the CSV columns", row + detail);
    bool ok = false;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString name = QString::fromLatin1(names[i]);
        const QJsonValue value = json.value(name);
        const QByteArray cell = cells[i];
        const QByteArray where = names[i] + ": CSV " + cell + "\n" + detail;
        if (value.isString()) {
            fuzzRequire(value.toString().toUtf8() == cell, "JSON and CSV differ", where);
        } else if (value.isBool()) {
            fuzzRequire(cell == (value.toBool() ? "1" : "0"), "JSON and CSV differ", where);
        } else if (value.isDouble() && name == QLatin1String("voltage_v")) {
            const double volts = cell.toDouble(&ok);
            fuzzRequire(ok && std::abs(volts - value.toDouble()) <= 0.0005 + 1e-9, "JSON and CSV differ", where);
        } else {
            fuzzRequire(value.isDouble() && cell == QByteArray::number(value.toInteger()), "JSON and CSV differ",
                        where);
        }
    }
    const QDateTime readBack = QDateTime::fromString(QString::fromLatin1(cells[0]), Qt::ISODateWithMs);
    fuzzRequire(readBack == when, "the CSV time does not read back as the moment of the frame", row + detail);
    fuzzRequire(cells[1].toInt() == live.rpm && cells[3].toInt() == live.advance,
                "the CSV row does not give the unit's speed and advance", row + detail);
    const int storing = cells[7].toInt(&ok);
    fuzzRequire(ok && storing >= 0 && storing <= 100, "storing progress outside 0..100", row + detail);

    const QByteArray text = liverow::text(when, live);
    static const QRegularExpression textForm(QStringLiteral(
        "^(\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d)  +(\\d+) rpm  +(\\d+\\.\\d) V  +(\\d+) deg  blocking (on|off)  "
        "neutral (on|off)  side stand (on|off)  storing (\\d+)%  data error (yes|no)\\n$"));
    const QRegularExpressionMatch m = textForm.match(QString::fromUtf8(text));
    fuzzRequire(m.hasMatch(), "the text row is not in its form", text + detail);
    const auto same = [&](int group, const QByteArray &csv) {
        fuzzRequire(m.captured(group).toUtf8() == csv, "the text row and the CSV row differ",
                    text + row + "column " + QByteArray::number(group) + "\n" + detail);
    };
    same(1, cells[0].mid(11, 12));
    same(2, cells[1]);
    fuzzRequire(std::abs(m.captured(3).toDouble() - cells[2].toDouble()) <= 0.05 + 1e-9,
                "the text row and the CSV row differ in the voltage", text + row + detail);
    same(4, cells[3]);
    same(5, cells[4] == "1" ? "on" : "off");
    same(6, cells[5] == "1" ? "on" : "off");
    same(7, cells[6] == "1" ? "on" : "off");
    same(8, cells[7]);
    same(9, cells[8] == "1" ? "yes" : "no");
    return 0;
}
