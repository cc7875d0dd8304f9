#pragma once

#include <QLocale>
#include <QString>
#include <optional>

// How a spinner reads and writes the text of the edit it is bound to.
//
// A typed text is taken only when, with the locale's thousands separators
// removed, it is a whole decimal number within [minimum, maximum]; anything
// else (empty, fractions, junk, out of range) yields nothing and the spinner
// keeps its position.
std::optional<int> parseSpinnerText(const QString &text, int minimum, int maximum,
                                    const QLocale &locale = QLocale());

// Plain digits, or with the locale's thousands grouping from 1000 on.
QString formatSpinnerText(int position, bool thousands, const QLocale &locale = QLocale());
