#include "app/focusdrawing.h"

#include "app/palette.h"

#include <QApplication>
#include <QCheckBox>
#include <QFocusFrame>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>

namespace corvane {

namespace {

// The focus frame's width, drawn just outside the control: the gaps between
// the controls are wider than this.
constexpr int kFrameWidth = 2;

// The application's style, with the focus drawn so that it shows.
class FocusStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override
    {
        // A style shows the bar's current entry only while its menu is open
        // (sunken); with the keyboard on the bar every entry shows as an open one.
        const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
        if (element == CE_MenuBarItem && item && widget && widget->hasFocus() && (item->state & State_Selected)
            && !(item->state & State_Sunken)) {
            QStyleOptionMenuItem current(*item);
            current.state |= State_Sunken;
            QProxyStyle::drawControl(element, &current, painter, widget);
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        if (element == PE_IndicatorCheckBox) {
            drawCheckSquare(option, painter);
            return;
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

    int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override
    {
        if (metric == PM_FocusFrameHMargin || metric == PM_FocusFrameVMargin)
            return kFrameWidth;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_FocusFrame_AboveWidget)
            return 1;
        if (hint == SH_FocusFrame_Mask && option) {
            if (auto *mask = qstyleoption_cast<QStyleHintReturnMask *>(returnData)) {
                const QRect outer = option->rect;
                const QRect inner = outer.adjusted(kFrameWidth, kFrameWidth, -kFrameWidth, -kFrameWidth);
                mask->region = QRegion(outer).subtracted(QRegion(inner));
            }
            return 1;
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

private:
    // The square in the check box's own background, outlined in its text
    // colour, with a tick (or a dash, partly checked) in the same colour: the
    // text colour is the one that reads on the background.
    static void drawCheckSquare(const QStyleOption *option, QPainter *painter)
    {
        const QColor ink = option->palette.color(QPalette::Text);
        const QRectF box = QRectF(option->rect).adjusted(1, 1, -1, -1);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->fillRect(option->rect, option->palette.base());
        painter->setPen(QPen(ink, 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(box);
        const qreal w = box.width(), h = box.height();
        if (option->state & State_On) {
            QPainterPath tick;
            tick.moveTo(box.left() + w * 0.22, box.top() + h * 0.52);
            tick.lineTo(box.left() + w * 0.42, box.top() + h * 0.74);
            tick.lineTo(box.left() + w * 0.78, box.top() + h * 0.28);
            painter->setPen(QPen(ink, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter->drawPath(tick);
        } else if (option->state & State_NoChange) {
            painter->fillRect(QRectF(box.left() + w * 0.25, box.center().y() - 1, w * 0.5, 2), ink);
        }
        painter->restore();
    }
};

// The frame around the control with the keyboard: a ring in the focus colour
// (QFocusFrame keeps it on the control as it moves and is passed over by
// screen readers; the style above gives its width and shape).
class FocusRing : public QFocusFrame
{
public:
    using QFocusFrame::QFocusFrame;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), focusColour());
    }
};

} // namespace

void showFocus(const QList<QWidget *> &controls, QMenuBar *bar, QCheckBox *check)
{
    QWidget *window = bar->window();
    // A style of its own for the bar, the check box and the frame, over the
    // style the application runs with; parented to the window after those
    // widgets exist, so that it goes after them.
    QStyle *base = QStyleFactory::create(QApplication::style()->name());
    auto *style = new FocusStyle(base);
    style->setParent(window);
    bar->setStyle(style);
    check->setStyle(style);

    auto *ring = new FocusRing(controls.first()->parentWidget());
    ring->setObjectName(QStringLiteral("FocusFrame"));
    ring->setStyle(style);
    // Hidden until a control has the keyboard; else it would show with the
    // window, unplaced, where the window opens without the keyboard.
    ring->hide();
    QObject::connect(qApp, &QApplication::focusChanged, ring, [ring, controls, window](QWidget *, QWidget *now) {
        if (!now)
            return;
        for (QWidget *control : controls) {
            if (now == control || control->isAncestorOf(now)) {
                ring->setWidget(control);
                // QFocusFrame hides itself when the control is scrolled out of
                // view, as it is when Tab reaches it in a small window, and
                // shows again only when told; scrolling brings both into view.
                ring->show();
                return;
            }
        }
        // The menu bar or another part of the window: no control has the
        // keyboard. A box or a pop-up of its own leaves the frame where it is.
        if (now->window() == window)
            ring->setWidget(nullptr);
    });
}

} // namespace corvane
