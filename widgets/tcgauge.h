#pragma once

#include <utility>

class QPainter;

#include <QColor>
#include <QImage>
#include <QWidget>
#include <stdexcept>
#include <string>

// Raised by TCGauge when MinValue or MaxValue would cross the other bound; the
// message names the range the rejected value had to lie in.
class GaugeError : public std::runtime_error
{
public:
    explicit GaugeError(const std::string &message) : std::runtime_error(message) {}
};

// Shows how far a value has got between a minimum and a maximum: as a bar, a
// pie, a half-disc needle dial or a bare percentage. The whole control is drawn
// off screen and copied to the widget in one piece, so a gauge that is updated
// on every timer tick never flickers.
class TCGauge : public QWidget
{
    Q_OBJECT
    // Declared in the order a window description sets them, so a form sets the
    // range before the progress that has to fit in it.
    Q_PROPERTY(TCGaugeKind kind READ kind WRITE setKind)
    Q_PROPERTY(bool showText READ showText WRITE setShowText)
    Q_PROPERTY(TCGaugeBorderStyle borderStyle READ borderStyle WRITE setBorderStyle)
    Q_PROPERTY(QColor foreColor READ foreColor WRITE setForeColor)
    Q_PROPERTY(QColor backColor READ backColor WRITE setBackColor)
    Q_PROPERTY(int minValue READ minValue WRITE setMinValue)
    Q_PROPERTY(int maxValue READ maxValue WRITE setMaxValue)
    Q_PROPERTY(int progress READ progress WRITE setProgress)
    Q_PROPERTY(int percentDone READ PercentDone STORED false)

public:
    enum class TCGaugeKind { gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle };
    Q_ENUM(TCGaugeKind)
    enum class TCGaugeBorderStyle { bsNone, bsSingle };
    Q_ENUM(TCGaugeBorderStyle)

    explicit TCGauge(QWidget *parent = nullptr);

    int minValue() const { return minValue_; }
    void setMinValue(int value);
    int maxValue() const { return maxValue_; }
    void setMaxValue(int value);
    int progress() const { return progress_; }
    void setProgress(int value);
    TCGaugeKind kind() const { return kind_; }
    void setKind(TCGaugeKind value);
    bool showText() const { return showText_; }
    void setShowText(bool value);
    TCGaugeBorderStyle borderStyle() const { return borderStyle_; }
    void setBorderStyle(TCGaugeBorderStyle value);
    QColor foreColor() const { return foreColor_; }
    void setForeColor(const QColor &value);
    QColor backColor() const { return backColor_; }
    void setBackColor(const QColor &value);

    // Share of the range reached, 0..100, rounded down; 0 for an empty range.
    int PercentDone() const;
    // Moves the progress by delta under the same clamping as setProgress, and
    // repaints even when the percentage stays the same.
    void AddProgress(int delta);

    // The text drawn over the gauge and reported to assistive tools, e.g. "50%".
    QString percentText() const;

    // Every pixel of the control as paintEvent copies it to the screen.
    QImage renderImage() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // The paint rectangle with exclusive right and bottom edges, the way the
    // drawing rules below are expressed.
    struct Edges
    {
        int left;
        int top;
        int right;
        int bottom;
    };

    Edges paintEdges() const;
    void drawKind(QImage &overlay, const Edges &edges) const;
    void drawBar(QImage &overlay, const Edges &edges) const;
    std::pair<int, int> dialSize(const Edges &edges) const;
    void clearDial(QPainter &painter, const Edges &edges) const;
    void drawPie(QImage &overlay, const Edges &edges) const;
    void drawNeedle(QImage &overlay, const Edges &edges) const;
    void drawPercentText(QImage &work, const Edges &edges) const;
    // Stores a progress already known to lie in the range and tells assistive
    // tools; the caller decides about repainting.
    void storeProgress(int value);

    int minValue_ = 0;
    int maxValue_ = 100;
    int progress_ = 0;
    TCGaugeKind kind_ = TCGaugeKind::gkHorizontalBar;
    bool showText_ = true;
    TCGaugeBorderStyle borderStyle_ = TCGaugeBorderStyle::bsSingle;
    QColor foreColor_ = Qt::black;
    QColor backColor_ = Qt::white;
};

using TCGaugeKind = TCGauge::TCGaugeKind;
using TCGaugeBorderStyle = TCGauge::TCGaugeBorderStyle;
