#pragma once

#include <QDateTime>
#include <QLocale>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <optional>

// What a printed page holds besides the picture of the window: the line of the
// date and time of printing, and where the picture goes on the page.

// The language's date line lead (Language::printDateLead, which the caller
// asks for: params knows no languages) followed by
// "<short date>    <long time>"; nothing in a language without one, whose
// status caption then stays as it was. Date and time follow the
// locale's short date and long time formats; the time zone that the long
// time format may carry is left out.
std::optional<QString> printDateLine(const std::optional<QString> &lead, const QDateTime &when,
                                     const QLocale &locale = QLocale());

// The picture scaled to the page keeping its aspect ratio, at the page's
// top-left corner: as wide as the page's height allows, else as wide as the
// page (integer multiply-divide). An empty picture or page gives an empty rect.
QRect printedPictureRect(const QSize &picture, const QSize &page);
