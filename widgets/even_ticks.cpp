#include "widgets/even_ticks.h"

#include <QApplication>
#include <QPainter>
#include <QProxyStyle>
#include <QSlider>
#include <QStyleOptionSlider>
#include <cmath>

namespace {

class EvenTicksStyle : public QProxyStyle {
public:
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option,
                            QPainter *painter, const QWidget *widget) const override {
        const auto *slider = qstyleoption_cast<const QStyleOptionSlider *>(option);
        if (control != CC_Slider || !slider || slider->orientation != Qt::Horizontal ||
            !(slider->subControls & SC_SliderTickmarks)) {
            QProxyStyle::drawComplexControl(control, option, painter, widget);
            return;
        }
        QStyleOptionSlider rest(*slider);
        rest.subControls &= ~SC_SliderTickmarks;
        QProxyStyle::drawComplexControl(control, &rest, painter, widget);
        drawTicks(*slider, painter, widget);
    }

private:
    // The style's own tick geometry (the end ticks a pixel longer), placed in device pixels.
    void drawTicks(const QStyleOptionSlider &slider, QPainter *painter,
                   const QWidget *widget) const {
        const int interval = slider.tickInterval > 0 ? slider.tickInterval : slider.pageStep;
        if (interval <= 0 || slider.maximum <= slider.minimum)
            return;
        const qreal density = painter->device()->devicePixelRatio();
        const auto device = [density](qreal logical) { return std::round(logical * density); };
        const int length = pixelMetric(PM_SliderLength, &slider, widget);
        const int tickSize = pixelMetric(PM_SliderTickmarkOffset, &slider, widget);
        const qreal span = slider.rect.width() - length;
        const qreal width = std::max(1.0, std::floor(density));
        const QRect &r = slider.rect;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, false);
        const QColor colour = slider.palette.window().color().darker(140);
        for (int v = slider.minimum; v <= slider.maximum; v += interval) {
            const int extra = (v == slider.minimum || v == slider.maximum) ? 1 : 2;
            qreal offset = (v - slider.minimum) * span / (slider.maximum - slider.minimum);
            if (slider.upsideDown)
                offset = span - offset;
            const qreal x = device(r.x() + length / 2.0 + offset);
            const auto tick = [&](qreal top, qreal bottom) {
                const qreal y = device(top);
                painter->fillRect(QRectF(x / density, y / density, width / density,
                                         (device(bottom) - y) / density),
                                  colour);
            };
            if (slider.tickPosition & QSlider::TicksAbove)
                tick(r.top() + extra, r.top() + tickSize + 1);
            if (slider.tickPosition & QSlider::TicksBelow)
                tick(r.bottom() - tickSize, r.bottom() - extra + 1);
        }
        painter->restore();
    }
};

} // namespace

void giveEvenTicks(QSlider *slider) {
    static auto *style = [] {
        auto *made = new EvenTicksStyle;
        made->setParent(qApp);
        return made;
    }();
    slider->setStyle(style);
}
