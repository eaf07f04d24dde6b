#include "app/clientarea.h"

#include <QEvent>
#include <QLayout>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
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

// Fits the window to its screen once more when it is first shown, and again
// as soon as the window manager has put its frame around it: the frame (title
// bar and edges) then lies inside the screen's free area, moved there when the
// window manager placed it partly outside. Once the frame is known, or after a
// few seconds without a window manager, the window is the user's to move.
class FitOnShow : public QObject
{
public:
    explicit FitOnShow(QWidget *window) : QObject(window), m_window(window)
    {
        QTimer::singleShot(5000, this, [this] { deleteLater(); });
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_window
            || (event->type() != QEvent::Show && event->type() != QEvent::Move && event->type() != QEvent::Resize))
            return false;
        // After the event has been handled, when the window's geometry is its new one.
        QTimer::singleShot(0, this, [this] { fit(); });
        return false;
    }

private:
    void fit()
    {
        const QSize fitting = m_window->size().boundedTo(freeArea(m_window));
        if (fitting != m_window->size())
            m_window->resize(fitting);
        const QWindow *handle = m_window->windowHandle();
        const QScreen *screen = m_window->screen();
        if (!handle || !screen || handle->frameMargins().isNull())
            return;
        const QRect free = screen->availableGeometry();
        const QRect frame = m_window->frameGeometry();
        QPoint at = frame.topLeft();
        at.setX(std::max(free.left(), std::min(at.x(), free.right() + 1 - frame.width())));
        at.setY(std::max(free.top(), std::min(at.y(), free.bottom() + 1 - frame.height())));
        if (at != frame.topLeft())
            m_window->move(at);
        deleteLater();
    }

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
