#include "widgets/designstyle.h"

#include <QApplication>
#include <QPointer>
#include <QStyleFactory>

#include <algorithm>

int DesignStyle::pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const
{
    const int own = QProxyStyle::pixelMetric(metric, option, widget);
    switch (metric) {
    case PM_IndicatorWidth:
    case PM_IndicatorHeight:
        return std::min(own, kIndicator);
    case PM_CheckBoxLabelSpacing:
        return std::min(own, kLabelSpacing);
    default:
        return own;
    }
}

QStyle *designStyle()
{
    static QPointer<DesignStyle> style;
    if (!style) {
        // Over a fresh instance of the application's style: a proxy owns its base.
        style = new DesignStyle(QStyleFactory::create(QApplication::style()->name()));
        style->setParent(qApp);
    }
    return style;
}
