#include "settings/testmodemarker.h"

#include "params/regularfile.h"
#include "settings/wholefile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QFileInfo>

namespace {

constexpr QByteArrayView kKeyword("TEST_ENABLE");
constexpr qsizetype kMaxWordLength = 255;
constexpr qint64 kChunkBytes = 64 * 1024;
// A marker is a word or two; the cap keeps a device or a runaway file from
// holding up start-up.
constexpr qint64 kMaxMarkerBytes = qint64(4) << 20;

bool isWhite(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

} // namespace

bool readTestModeMarker(const QString &path, QString *reason)
{
    QFile file(path);
    QString why;
    if (!openRegularFile(file, QIODevice::ReadOnly, &why)) {
        if (QFileInfo::exists(path))
            setFileReason(reason, path, why);
        return false;
    }

    bool enabled = false;
    // At most kMaxWordLength + 1 bytes of the current word are kept: enough
    // to know it is longer than any word that can match.
    QByteArray word;
    word.reserve(kMaxWordLength + 1);
    QByteArray chunk(kChunkBytes, Qt::Uninitialized);
    qint64 total = 0;
    while (total < kMaxMarkerBytes) {
        const qint64 got = file.read(chunk.data(), qMin(kChunkBytes, kMaxMarkerBytes - total));
        if (got <= 0)
            break;
        total += got;
        for (qint64 i = 0; i < got; ++i) {
            const char c = chunk[i];
            if (!isWhite(c)) {
                if (word.size() <= kMaxWordLength)
                    word += c;
                continue;
            }
            enabled = enabled || word == kKeyword;
            word.clear();
        }
    }
    // A word cut off by the cap is not a whole word.
    const bool wholeLastWord = total < kMaxMarkerBytes || file.atEnd();
    return enabled || (wholeLastWord && word == kKeyword);
}
