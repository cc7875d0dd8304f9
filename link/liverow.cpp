#include "link/liverow.h"

#include <QLocale>


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

} // namespace liverow
