#include "params/spinnertext.h"

namespace {

bool isSpaceLike(QChar c)
{
    return c == QChar(u' ') || c == QChar(0x00A0) || c == QChar(0x202F) || c == QChar(0x2009);
}

} // namespace

std::optional<int> parseSpinnerText(const QString &text, int minimum, int maximum,
                                    const QLocale &locale)
{
    const QString separator = locale.groupSeparator();
    // Where the separator is a (non-breaking) space, a technician types an
    // ordinary one: take any space-like character as the separator then.
    const bool spaceSeparator = separator.size() == 1 && isSpaceLike(separator.at(0));

    QString digits;
    digits.reserve(text.size());
    const QString trimmed = text.trimmed();
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        const QChar c = trimmed.at(i);
        if (spaceSeparator ? isSpaceLike(c) : QStringView(trimmed).mid(i).startsWith(separator)) {
            if (!spaceSeparator)
                i += separator.size() - 1;
            continue;
        }
        digits.append(c);
    }

    qsizetype start = 0;
    bool negative = false;
    if (!digits.isEmpty() && (digits.at(0) == u'-' || digits.at(0) == u'+')) {
        negative = digits.at(0) == u'-';
        start = 1;
    }
    if (start >= digits.size())
        return std::nullopt;
    long long value = 0;
    for (qsizetype i = start; i < digits.size(); ++i) {
        const QChar c = digits.at(i);
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
        if (value > 1'000'000'000LL) // far outside every spinner's range
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value < minimum || value > maximum)
        return std::nullopt;
    return static_cast<int>(value);
}

QString formatSpinnerText(int position, bool thousands, const QLocale &locale)
{
    const QString plain = QString::number(position < 0 ? -static_cast<long long>(position) : position);
    QString out;
    if (thousands && plain.size() > 3) {
        const QString separator = locale.groupSeparator();
        const qsizetype lead = plain.size() % 3 == 0 ? 3 : plain.size() % 3;
        out = plain.left(lead);
        for (qsizetype i = lead; i < plain.size(); i += 3)
            out += separator + plain.mid(i, 3);
    } else {
        out = plain;
    }
    return position < 0 ? QStringLiteral("-") + out : out;
}
