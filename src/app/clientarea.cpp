#include "app/clientarea.h"

#include <QEvent>
#include <QLayout>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QWindow>

namespace corvane {

namespace {

// A window can be made this small; below its design size the client scrolls.
constexpr QSize kSmallest(200, 150);

QSize freeArea(const QWidget *window)
{
    const QScreen *screen = window->screen();
    if (!screen)
        return QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    QSize free = screen->availableGeometry().size();
    if (const QWindow *handle = window->windowHandle()) {
        const QMargins frame = handle->frameMargins();
        free -= QSize(frame.left() + frame.right(), frame.top() + frame.bottom());
    }
    return free;
}

// Fits the window to its screen once more when it is first shown, now that the
// frame the desktop puts around it may be known.
class FitOnShow : public QObject
{
public:
    explicit FitOnShow(QWidget *window) : QObject(window), m_window(window) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::Show) {
            const QSize fitting = m_window->size().boundedTo(freeArea(m_window));
            if (fitting != m_window->size())
                m_window->resize(fitting);
            deleteLater();
        }
        return false;
    }

private:
    QWidget *m_window;
};

} // namespace

ClientArea::ClientArea(QWidget *client, QWidget *parent) : QScrollArea(parent)
{
    setObjectName(QStringLiteral("ClientScroller"));
    setFrameShape(QFrame::NoFrame);
    // Tab passes over the area to the controls on it, and scrolls the one it
    // reaches into view (QScrollArea::focusNextPrevChild).
    setFocusPolicy(Qt::NoFocus);
    setWidgetResizable(true);
    setMinimumSize(kSmallest);
    setWidget(client);
    // The scroll bars keep the style's own colours on every window colour.
    for (QScrollBar *bar : {horizontalScrollBar(), verticalScrollBar()})
        bar->setPalette(bar->style()->standardPalette());
}

QSize ClientArea::sizeHint() const
{
    const int frame = 2 * frameWidth();
    return widget()->minimumSize() + QSize(frame, frame);
}

void openFitting(QWidget *window)
{
    window->resize(window->sizeHint().boundedTo(freeArea(window)));
    // Its parts take their sizes now, before it is shown.
    if (QLayout *layout = window->layout())
        layout->activate();
    window->installEventFilter(new FitOnShow(window));
}

} // namespace corvane
