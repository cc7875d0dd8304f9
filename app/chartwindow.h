#pragma once

#include "widgets/curvechart.h"

#include <QWidget>

class QPushButton;
struct ChartTexts;

// The curve chart's own window: non-modal, resizable, with its two exports.
// The main window owns it and feeds its chart.
class ChartWindow : public QWidget
{
    Q_OBJECT

public:
    explicit ChartWindow(QWidget *parent = nullptr);

    CurveChart *chart() const { return curve; }
    void setTexts(const ChartTexts &texts);

    // How an export file is chosen (a save dialog by default); tests answer it.
    using PathChooser = std::function<QString(const QString &filter)>;
    void setPathChooser(PathChooser chooser) { choosePath = std::move(chooser); }

    QPushButton *pngButton() const { return png; }
    QPushButton *svgButton() const { return svg; }

private:
    void exportTo(bool asSvg);

    CurveChart *curve = nullptr;
    QPushButton *png = nullptr;
    QPushButton *svg = nullptr;
    PathChooser choosePath;
};
