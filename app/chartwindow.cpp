#include "app/chartwindow.h"

#include "i18n/extracaptions.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

ChartWindow::ChartWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("ChartWindow"));
    curve = new CurveChart(this);
    curve->setObjectName(QStringLiteral("CurveChart"));
    png = new QPushButton(this);
    png->setObjectName(QStringLiteral("ExportPng"));
    svg = new QPushButton(this);
    svg->setObjectName(QStringLiteral("ExportSvg"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(png);
    buttons->addWidget(svg);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(curve, 1);
    layout->addLayout(buttons);
    resize(753, 540);
    connect(png, &QPushButton::clicked, this, [this] { exportTo(false); });
    connect(svg, &QPushButton::clicked, this, [this] { exportTo(true); });
    setTexts(chartTexts(0));
    replay.setInterval(55);
    connect(&replay, &QTimer::timeout, this, [this] { showReplayAt(replayClock.elapsed()); });
}

void ChartWindow::play(const Recording &recording)
{
    std::vector<QPointF> points;
    points.reserve(recording.samples.size());
    for (const RecordedSample &s : recording.samples)
        points.emplace_back(s.rpm, s.advance);
    curve->setRecording(std::move(points));
    ride = recording.samples;
    rideNext = 0;
    curve->clearLive();
    replayClock.start();
    if (!ride.empty())
        replay.start();
}

void ChartWindow::showReplayAt(qint64 rideMs)
{
    if (ride.empty())
        return;
    const qint64 first = ride.front().msSinceEpoch;
    while (rideNext < ride.size() && ride[rideNext].msSinceEpoch - first <= rideMs) {
        curve->setLivePoint(ride[rideNext].rpm, ride[rideNext].advance);
        ++rideNext;
    }
    if (rideNext >= ride.size())
        replay.stop();
}

void ChartWindow::setTexts(const ChartTexts &texts)
{
    setWindowTitle(extraText(texts.title));
    png->setText(extraText(texts.exportPng));
    svg->setText(extraText(texts.exportSvg));
    curve->setTexts({extraText(texts.rpmAxis), extraText(texts.advanceAxis), extraText(texts.limiter)});
}

void ChartWindow::exportTo(bool asSvg)
{
    const QString filter = asSvg ? QStringLiteral("SVG (*.svg)") : QStringLiteral("PNG (*.png)");
    QString path = choosePath ? choosePath(filter) : QFileDialog::getSaveFileName(this, windowTitle(), QString(), filter);
    if (path.isEmpty())
        return;
    const QString suffix = asSvg ? QStringLiteral(".svg") : QStringLiteral(".png");
    if (!path.endsWith(suffix, Qt::CaseInsensitive))
        path += suffix;
    if (!(asSvg ? curve->exportSvg(path) : curve->exportPng(path))) {
        QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(),
                        QStringLiteral("Open file error"), QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("ExportErrorBox"));
        box.setInformativeText(QDir::toNativeSeparators(path));
        box.exec();
    }
}
