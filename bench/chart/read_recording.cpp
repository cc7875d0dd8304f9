// Opening a big live-data recording for the chart: a generated 100 MB
// recording (the recorder's columns, rows 330 ms apart) in a temporary folder,
// read five times. Prints the median and slowest read; exits 1 when the slowest
// misses 2 s, the time a technician may wait for the first view.
#include "link/liverow.h"
#include "session/recordingreader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    constexpr qint64 kFileBytes = 100LL * 1024 * 1024;
    constexpr int kRuns = 5;
    constexpr double kTargetMs = 2000;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ride.csv"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return 2;
    file.write(liverow::csvHeader());
    QDateTime when = QDateTime::fromMSecsSinceEpoch(1'700'000'000'000LL, Qt::UTC);
    LiveData live;
    QByteArray chunk;
    qint64 written = 0;
    for (int i = 0; written < kFileBytes; ++i) {
        live.rpm = static_cast<std::uint16_t>(1000 + (i * 37) % 9000);
        live.advance = static_cast<std::uint8_t>(5 + i % 30);
        live.voltageRaw = 1900;
        chunk += liverow::csvRow(when.addMSecs(qint64(i) * 330), live);
        if (chunk.size() >= (1 << 20)) {
            written += file.write(chunk);
            chunk.clear();
        }
    }
    file.write(chunk);
    file.close();

    std::vector<double> ms;
    std::size_t samples = 0;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        const Recording read = readRecording(path);
        ms.push_back(timer.nsecsElapsed() / 1e6);
        if (read.error != RecordingError::None) {
            std::printf("read failed: %s\n", qPrintable(describeRecordingError(read)));
            return 1;
        }
        samples = read.samples.size();
    }
    std::sort(ms.begin(), ms.end());
    std::printf("recording of %lld MB, %zu rows sampled: median %.1f ms, slowest %.1f ms (target: under %.0f ms)\n",
                static_cast<long long>(QFileInfo(path).size() >> 20), samples, ms[ms.size() / 2], ms.back(), kTargetMs);
    return ms.back() < kTargetMs ? 0 : 1;
}
