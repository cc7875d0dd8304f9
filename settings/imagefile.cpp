#include "settings/imagefile.h"

#include "settings/wholefile.h"

#include <QByteArray>

namespace {

// 55 numbers of five digits and their separators fit in a few hundred bytes;
// anything beyond the first 64 KiB is not an image file's business.
constexpr qint64 kMaxImageBytes = 64 * 1024;
constexpr int kNumbersPerLine = 10;

bool isWhite(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

} // namespace

bool readImageFile(const QString &path, ParameterImage &image, QString *reason)
{
    QByteArray data;
    bool cut = false;
    if (!readFileStart(path, kMaxImageBytes, data, &cut, reason))
        return false;
    if (cut) {
        // The word running into the cap is incomplete: it is not read.
        qsizetype end = data.size();
        while (end > 0 && !isWhite(data[end - 1]))
            --end;
        data.truncate(end);
    }

    qsizetype p = 0;
    for (int index = 0; index < ParameterImage::kSize; ++index) {
        while (p < data.size() && isWhite(data[p]))
            ++p;
        if (p == data.size())
            break;
        // Only the low 8 bits are kept, so they are all that is computed: no
        // number, however long, can overflow.
        unsigned lowBits = 0;
        const qsizetype begin = p;
        for (; p < data.size() && data[p] >= '0' && data[p] <= '9'; ++p)
            lowBits = (lowBits * 10 + unsigned(data[p] - '0')) & 0xFFu;
        if (p == begin || (p < data.size() && !isWhite(data[p])))
            break;
        image[index] = static_cast<std::uint8_t>(lowBits);
    }
    return true;
}

bool writeImageFile(const QString &path, const ParameterImage &image, QString *reason)
{
    QByteArray text;
    for (int i = 0; i < ParameterImage::kSize; ++i) {
        text += QByteArray::number(image[i]).rightJustified(5, ' ');
        text += ' ';
        // The file has always been written as a Windows text stream: CR LF,
        // whatever the platform, so files move between systems unchanged.
        if ((i + 1) % kNumbersPerLine == 0)
            text += "\r\n";
    }
    return saveWholeFile(path, text, reason);
}
