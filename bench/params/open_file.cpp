// Times openParameterFile on a 1 MB file: a valid header and fields, then
// junk words and numbers, and one enormous word without white space.
// Prints the median and the slowest run; exits non-zero when the slowest run
// reaches 50 ms.
#include "params/parameterfile.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRuns = 50;
constexpr qsizetype kFileBytes = 1024 * 1024;
constexpr double kTargetMs = 50.0;

QByteArray generatedFile()
{
    QByteArray text = "KORVELIN_KEY   16 \r\n\r\n"
                      "RPM_ADV      1000  2000  3000  4000  5000  6000  7000  8000  9000 10000 \r\n"
                      "ADVANCE         5    15    20    25    33    33    33    33    33    33 \r\n";
    // Half the file in short words and numbers, the way a damaged file might look.
    for (int i = 0; text.size() < kFileBytes / 2; ++i) {
        text += "junk";
        text += QByteArray::number(i);
        text += (i % 7 == 0) ? " 12abc\t" : " 65791\r\n";
        if (i % 1000 == 0)
            text += "LIMITER 80 TOP 3 9 ";
    }
    // The rest in a single word.
    text += ' ';
    text += QByteArray(kFileBytes - text.size() - 12, 'W');
    text += " BASE_ADV 7 ";
    return text;
}

} // namespace

int main()
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath("bench.ign");
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(generatedFile()) != kFileBytes) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 2;
        }
    }

    std::vector<double> ms;
    ms.reserve(kRuns);
    for (int run = 0; run < kRuns; ++run) {
        ParameterImage image;
        image.applyDefaults();
        QElapsedTimer timer;
        timer.start();
        const OpenResult result = openParameterFile(path, image);
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        if (result != OpenResult::Opened || image[ParameterImage::kBaseAdv] != 7) {
            std::fprintf(stderr, "the generated file did not open as expected\n");
            return 2;
        }
    }
    std::sort(ms.begin(), ms.end());
    const double median = (ms[kRuns / 2 - 1] + ms[kRuns / 2]) / 2.0;
    const double slowest = ms.back();
    std::printf("openParameterFile, 1 MB, %d runs: median %.2f ms, max %.2f ms (target: max below %.0f ms)\n",
                kRuns, median, slowest, kTargetMs);
    return slowest < kTargetMs ? 0 : 1;
}
