#include "widgets/designfont.h"

#include <QFontDatabase>
#include <QStringList>

QFont designFont()
{
    // Looked up in the list of installed families: asking for each name in
    // turn would run the font configuration's alias rules for every missing one.
    const QStringList installed = QFontDatabase::families();
    QString family = QStringLiteral("MS Sans Serif");
    for (const char *candidate :
         {"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans", "Arial", "DejaVu Sans"}) {
        if (installed.contains(QLatin1String(candidate), Qt::CaseInsensitive)) {
            family = QLatin1String(candidate);
            break;
        }
    }
    QFont font(family);
    font.setPixelSize(11);
    return font;
}
