#include "widgets/designfont.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QStringList>

#include <algorithm>

namespace {

constexpr int kDesignHeight = 11;
// The face's only size: 11 pixels of character height in a 13-pixel cell.
constexpr int kDesignCell = 13;
const QLatin1String kDesignFamily("MS Sans Serif");
// Debian's fonts-wine puts the face here, outside the font configuration.
constexpr const char *kWineFace = "/usr/share/wine/fonts/ms_sans_serif.ttf";

// The small letters, which make up most of a caption, and their width in the
// design face: a stand-in face is narrowed by the ratio of its own width of
// them to this, and a step more for the rounding up of narrowed widths.
const QLatin1String kSample("abcdefghijklmnopqrstuvwxyz");
constexpr int kSampleDesignWidth = 135;

struct Faces
{
    bool design = false;
    QString substitute;
    int stretch = QFont::Unstretched;
};

bool loadDesignFace(const QStringList &installed)
{
    if (!installed.contains(kDesignFamily, Qt::CaseInsensitive)) {
        if (!QFile::exists(QLatin1String(kWineFace))
            || QFontDatabase::addApplicationFont(QLatin1String(kWineFace)) < 0)
            return false;
    }
    // A bitmap face is drawn at its own size only: on a scaled screen it would
    // come out small.
    if (qGuiApp && qGuiApp->devicePixelRatio() != 1.0)
        return false;
    QFont font(kDesignFamily);
    font.setPixelSize(kDesignHeight);
    const QFontInfo info(font);
    return info.family().compare(kDesignFamily, Qt::CaseInsensitive) == 0
           && (info.pixelSize() == kDesignCell || QFontDatabase::isSmoothlyScalable(kDesignFamily));
}

const Faces &faces()
{
    static const Faces chosen = [] {
        Faces f;
        // Looked up in the list of installed families: asking for each name in
        // turn would run the font configuration's alias rules for every missing one.
        const QStringList installed = QFontDatabase::families();
        f.design = loadDesignFace(installed);
        f.substitute = QStringLiteral("Sans Serif");
        for (const char *candidate : {"Microsoft Sans Serif", "Liberation Sans", "Arial", "DejaVu Sans"}) {
            if (installed.contains(QLatin1String(candidate), Qt::CaseInsensitive)) {
                f.substitute = QLatin1String(candidate);
                break;
            }
        }
        QFont plain(f.substitute);
        plain.setPixelSize(kDesignHeight);
        const int width = QFontMetrics(plain).horizontalAdvance(kSample);
        if (width > kSampleDesignWidth)
            f.stretch = std::max(75, 100 * kSampleDesignWidth / width - 1);
        return f;
    }();
    return chosen;
}

} // namespace

QFont substituteFont(int characterHeight)
{
    const Faces &f = faces();
    QFont font(f.substitute);
    font.setPixelSize(characterHeight);
    font.setStretch(f.stretch);
    return font;
}

QFont designFont(int characterHeight)
{
    if (characterHeight != kDesignHeight || !faces().design)
        return substituteFont(characterHeight);
    QFont font(kDesignFamily);
    font.setPixelSize(kDesignHeight);
    return font;
}
