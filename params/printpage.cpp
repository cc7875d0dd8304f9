#include "params/printpage.h"

namespace {

// The locale's long time format without the time zone: the "t" field goes
// with brackets right around it and the blanks that set it apart from the
// rest; quoted text stays as it is.
QString longTimeFormatWithoutZone(const QLocale &locale)
{
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString kept;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == u'\'')
            quoted = !quoted;
        if (quoted || c != u't') {
            kept += c;
            continue;
        }
        while (i + 1 < format.size() && format[i + 1] == u't')
            ++i;
        if (kept.endsWith(u'(') && i + 1 < format.size() && format[i + 1] == u')') {
            kept.chop(1);
            ++i;
        }
        if (!kept.isEmpty() && kept.back().isSpace()) {
            while (!kept.isEmpty() && kept.back().isSpace())
                kept.chop(1);
        } else {
            while (i + 1 < format.size() && format[i + 1].isSpace())
                ++i;
        }
    }
    return kept;
}

} // namespace

std::optional<QString> printDateLine(const std::optional<QString> &lead, const QDateTime &when,
                                     const QLocale &locale)
{
    if (!lead)
        return std::nullopt;
    return *lead + locale.toString(when.date(), QLocale::ShortFormat) + QStringLiteral("    ")
           + locale.toString(when.time(), longTimeFormatWithoutZone(locale));
}

QRect printedPictureRect(const QSize &picture, const QSize &page)
{
    if (picture.isEmpty() || page.isEmpty())
        return {};
    const qint64 pw = picture.width(), ph = picture.height();
    const qint64 w = pw * page.height() / ph;
    if (w < page.width())
        return QRect(0, 0, static_cast<int>(w), page.height());
    return QRect(0, 0, page.width(), static_cast<int>(ph * page.width() / pw));
}
