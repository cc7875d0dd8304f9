#include "params/printpage.h"

std::optional<QString> printDateLine(std::uint8_t languageIndex, const QDateTime &when,
                                     const QLocale &locale)
{
    QString lead;
    switch (languageIndex) {
    case 0: // English
    case 1: // German prints the English line: the German set has none of its own
        lead = QStringLiteral("Date and Time of printing:  ");
        break;
    case 3: // Czech
        lead = QStringLiteral("Datum a čas tisku:  ");
        break;
    default:
        return std::nullopt;
    }
    return lead + locale.toString(when.date(), QLocale::ShortFormat) + QStringLiteral("    ")
           + locale.toString(when.time(), QLocale::LongFormat);
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
