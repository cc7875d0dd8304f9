#include "link/liverow.h"

#include <QJsonDocument>
#include <QLocale>
#include <QRegularExpression>


namespace liverow {
namespace {

struct Values
{
    QString time;
    int rpm;
    double volts;
    int advance;
    int blocking, neutral, sideStand;
    int storing;
    int dataError;
};

Values valuesOf(const QDateTime &when, const LiveData &live)
{
    return {when.toString(Qt::ISODateWithMs),
            live.rpm,
            live.volts(),
            live.advance,
            live.blockingOn() ? 1 : 0,
            live.neutralOn() ? 1 : 0,
            live.sideStandOn() ? 1 : 0,
            live.storingPercent(),
            live.dataErrorSet() ? 1 : 0};
}

} // namespace

int storingPercent(std::uint16_t savingCountdown)
{
    return unitStoringPercent(savingCountdown);
}

QByteArray csvHeader()
{
    return QByteArrayLiteral("time,rpm,voltage_v,advance_deg,blocking,neutral,side_stand,storing_percent,data_error\n");
}

QByteArray csvRow(const QDateTime &when, const LiveData &live)
{
    const Values v = valuesOf(when, live);
    // The C locale, so a decimal point whatever the system's language.
    return QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8,%9\n")
        .arg(v.time)
        .arg(v.rpm)
        .arg(QLocale::c().toString(v.volts, 'f', 3))
        .arg(v.advance)
        .arg(v.blocking)
        .arg(v.neutral)
        .arg(v.sideStand)
        .arg(v.storing)
        .arg(v.dataError)
        .toUtf8();
}

QJsonObject json(const QDateTime &when, const LiveData &live)
{
    const Values v = valuesOf(when, live);
    return {{"time", v.time},
            {"rpm", v.rpm},
            {"voltage_v", v.volts},
            {"advance_deg", v.advance},
            {"blocking", v.blocking != 0},
            {"neutral", v.neutral != 0},
            {"side_stand", v.sideStand != 0},
            {"storing_percent", v.storing},
            {"data_error", v.dataError != 0}};
}

QByteArray text(const QDateTime &when, const LiveData &live)
{
    const Values v = valuesOf(when, live);
    const auto onOff = [](int on) { return on != 0 ? "on" : "off"; };
    return QStringLiteral("%1  %2 rpm  %3 V  %4 deg  blocking %5  neutral %6  side stand %7  storing %8%  "
                          "data error %9\n")
        .arg(when.toString(QStringLiteral("HH:mm:ss.zzz")))
        .arg(v.rpm, 5)
        .arg(v.volts, 4, 'f', 1)
        .arg(v.advance, 2)
        .arg(QLatin1String(onOff(v.blocking)), QLatin1String(onOff(v.neutral)), QLatin1String(onOff(v.sideStand)))
        .arg(v.storing)
        .arg(v.dataError != 0 ? QStringLiteral("yes") : QStringLiteral("no"))
        .toUtf8();
}

QByteArray header(Format format)
{
    return format == Format::Csv ? csvHeader() : QByteArray();
}

QByteArray row(Format format, const QDateTime &when, const LiveData &live)
{
    switch (format) {
    case Format::Csv:
        return csvRow(when, live);
    case Format::Json:
        return QJsonDocument(json(when, live)).toJson(QJsonDocument::Compact) + '\n';
    case Format::Text:
        break;
    }
    return text(when, live);
}

bool startsLog(Format format, QByteArrayView firstLine)
{
    switch (format) {
    case Format::Csv:
        return firstLine == QByteArrayView(csvHeader()).chopped(1);
    case Format::Json: {
        const QJsonDocument object = QJsonDocument::fromJson(firstLine.toByteArray());
        return object.isObject() && object.object().keys() == json({}, {}).keys();
    }
    case Format::Text:
        break;
    }
    static const QRegularExpression textRow(QStringLiteral(
        "^\\d\\d:\\d\\d:\\d\\d\\.\\d{3}  +\\d+ rpm  +\\d+\\.\\d V  +\\d+ deg  blocking (on|off)  neutral (on|off)  "
        "side stand (on|off)  storing \\d+%  data error (yes|no)$"));
    return textRow.match(QString::fromUtf8(firstLine)).hasMatch();
}

} // namespace liverow
