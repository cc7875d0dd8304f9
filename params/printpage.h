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

// "Date and Time of printing:  <short date>    <long time>" for English and
// German, "Datum a čas tisku:  ..." for Czech; nothing for any other index,
// whose status caption then stays as it was. Date and time follow the
// locale's short date and long time formats; the time zone that the long
// time format may carry is left out.
std::optional<QString> printDateLine(std::uint8_t languageIndex, const QDateTime &when,
                                     const QLocale &locale = QLocale());

// The picture scaled to the page keeping its aspect ratio, at the page's
// top-left corner: as wide as the page's height allows, else as wide as the
// page (integer multiply-divide). An empty picture or page gives an empty rect.
QRect printedPictureRect(const QSize &picture, const QSize &page);
