#pragma once

#include <QProxyStyle>

// The check boxes' proportions of the design: a 13-pixel tick square with its
// caption 4 pixels after it. Where the style in use draws them larger, it
// would cut off captions laid out for these; where it draws them smaller, it
// keeps its own.
class DesignStyle : public QProxyStyle
{
    Q_OBJECT

public:
    using QProxyStyle::QProxyStyle;

    static constexpr int kIndicator = 13;
    static constexpr int kLabelSpacing = 4;

    int pixelMetric(PixelMetric metric, const QStyleOption *option = nullptr,
                    const QWidget *widget = nullptr) const override;
};

// One shared instance over the application's style, made on first use and
// kept as long as the application.
QStyle *designStyle();
