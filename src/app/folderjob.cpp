#include "app/folderjob.h"

#include "base/systemerror.h"
#include "listing/filenames.h"
#include "listing/folderreader.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <new>
#include <vector>

namespace corvane {

namespace {

// A job's part that the worker and the window both hold; the worker's closure
// keeps it alive after a cancelled wait has ended.
struct JobState
{
    ReadProgress progress;
    std::atomic<bool> done{false}; // the result is complete (release/acquire)
    bool outOfMemory = false;      // written before done is set
    std::function<void(ReadProgress &)> work;
};

int runningJobs = 0;
// Workers of cancelled jobs that may still be stopping; touched only by the window's thread.
std::vector<QThread *> &cancelledWorkers()
{
    static std::vector<QThread *> workers;
    return workers;
}

void reapStoppedWorkers()
{
    auto &workers = cancelledWorkers();
    std::erase_if(workers, [](QThread *t) {
        if (!t->isFinished())
            return false;
        t->wait();
        delete t;
        return true;
    });
}

// The box: the folder, the count so far, a busy bar and "Cancel"; Esc and
// closing it cancel too (QDialog rejects on both).
class ProgressBox : public QDialog
{
public:
    ProgressBox(QWidget *window, const JobOptions &options) : QDialog(window)
    {
        setObjectName(QStringLiteral("ReadProgress"));
        setWindowTitle(QStringLiteral("Corvane+"));
        // Not modal to Qt: a window blocked by a modal box could not be closed
        // by the desktop during the read. Its input is held back all the same.
        setWindowModality(Qt::NonModal);
        auto *layout = new QVBoxLayout(this);
        auto *where = new QLabel(options.what, this);
        where->setObjectName(QStringLiteral("ReadFolder"));
        where->setTextFormat(Qt::PlainText);
        where->setWordWrap(true);
        m_count = new QLabel(this);
        m_count->setObjectName(QStringLiteral("ReadCount"));
        m_count->setVisible(options.countsNames);
        auto *bar = new QProgressBar(this);
        bar->setRange(0, 0); // busy: the total is unknown until the end
        bar->setTextVisible(false);
        bar->setAccessibleName(QCoreApplication::translate("ProgressBox", "Reading"));
        // Qt's standard button: its caption comes in the user's language with
        // Qt's translation, as on every other box of the desktop.
        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
        QPushButton *cancel = buttons->button(QDialogButtonBox::Cancel);
        cancel->setObjectName(QStringLiteral("ReadCancel"));
        cancel->setAutoDefault(false);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        layout->addWidget(where);
        layout->addWidget(m_count);
        layout->addWidget(bar);
        layout->addWidget(buttons);
        setMinimumWidth(420);
    }

    void showCount(qint64 names)
    {
        // The label tells a screen reader of each change of its text.
        const int shown = int(std::min<qint64>(names, std::numeric_limits<int>::max()));
        m_count->setText(QCoreApplication::translate("ProgressBox", "%n names read", nullptr, shown));
    }

private:
    QLabel *m_count;
};

// Drops input meant for anything but the progress box while a job runs, and
// turns the window's closing into a cancel: the box's modality, in effect.
// A drop onto the window is let through: the window takes it and opens what
// it carries once the running command has ended.
class InputHold : public QObject
{
public:
    InputHold(QWidget *window, const std::function<void()> &cancel) : m_window(window), m_cancel(cancel)
    {
        qApp->installEventFilter(this);
    }
    ~InputHold() override { qApp->removeEventFilter(this); }
    void allow(QWidget *box) { m_box = box; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Close && watched == m_window) {
            m_cancel();
            return false;
        }
        // While the box offers Cancel, Esc cancels wherever the focus is.
        if (m_box && event->type() == QEvent::KeyPress
            && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            m_cancel();
            return true;
        }
        if (!isInput(event->type()) || isInBox(watched))
            return false;
        return !(isDrag(event->type()) && isInWindow(watched));
    }

private:
    static bool isInput(QEvent::Type type)
    {
        switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::InputMethod:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::TabletRelease:
            return true;
        default:
            return isDrag(type);
        }
    }
    static bool isDrag(QEvent::Type type)
    {
        return type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop;
    }
    bool isInWindow(QObject *watched) const
    {
        auto *w = qobject_cast<QWidget *>(watched);
        return w && (w == m_window || m_window->isAncestorOf(w));
    }

    bool isInBox(QObject *watched) const
    {
        if (!m_box)
            return false;
        if (auto *w = qobject_cast<QWidget *>(watched))
            return w == m_box || m_box->isAncestorOf(w);
        if (auto *win = qobject_cast<QWindow *>(watched))
            return win == m_box->windowHandle();
        return false;
    }

    QWidget *m_window;
    QWidget *m_box = nullptr;
    std::function<void()> m_cancel;
};

} // namespace

bool folderJobRunning()
{
    return runningJobs > 0;
}

JobEnd runJob(QWidget *window, const JobOptions &options, std::function<void(ReadProgress &)> work,
              QString *failure)
{
    reapStoppedWorkers();
    auto state = std::make_shared<JobState>();
    state->work = std::move(work);
    state->progress.names.store(options.countFrom, std::memory_order_relaxed);
    QThread *worker = QThread::create([state] {
        // A job that runs out of memory fails; it never ends the program.
        try {
            state->work(state->progress);
        } catch (const std::bad_alloc &) {
            state->outOfMemory = true;
        }
        state->done.store(true, std::memory_order_release);
    });

    QEventLoop loop;
    bool cancelled = false;
    const auto cancel = [&] {
        // Work past its point of no return (a document replacing the old one)
        // is let finish: its end is what happened.
        if (!state->progress.cancel())
            return;
        cancelled = true;
        loop.quit();
    };
    // The finished signal crosses to this thread queued: it only wakes the
    // wait; the result itself is handed over through state->done.
    QObject::connect(worker, &QThread::finished, &loop, &QEventLoop::quit);

    InputHold hold(window, cancel);
    std::unique_ptr<ProgressBox> box;
    QTimer tick;
    tick.setInterval(250);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (box)
            box->showCount(state->progress.names.load(std::memory_order_relaxed));
    });
    const bool boxAtOnce = options.boxShown && *options.boxShown;
    QTimer::singleShot(boxAtOnce ? 0 : 1000, &loop, [&] {
        if (state->done.load(std::memory_order_acquire) || cancelled)
            return;
        if (options.boxShown)
            *options.boxShown = true;
        if (options.showsWindow && !window->isVisible())
            window->show();
        box = std::make_unique<ProgressBox>(window, options);
        box->showCount(state->progress.names.load(std::memory_order_relaxed));
        QObject::connect(box.get(), &QDialog::rejected, &loop, cancel);
        hold.allow(box.get());
        box->show();
        box->raise();
        box->activateWindow();
        // The busy cursor with an arrow: the box's button can be pressed.
        QGuiApplication::changeOverrideCursor(Qt::BusyCursor);
        tick.start();
    });

    worker->start();
    if (!worker->isRunning() && !worker->isFinished()) {
        // The system gave no thread (too many threads or processes): the work
        // is not done on this thread instead, it may wait on the disk.
        delete worker;
        *failure = systemErrorText(EAGAIN);
        return JobEnd::Failed;
    }
    ++runningJobs;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    // Also ends when the application quits: that counts as a cancel.
    loop.exec();
    --runningJobs;
    tick.stop();
    box.reset();
    QGuiApplication::restoreOverrideCursor();

    if (!state->done.load(std::memory_order_acquire)) {
        // The application is quitting, or the job was cancelled: its worker
        // stops at its next batch.
        if (!state->progress.cancel()) {
            worker->wait(); // past its point of no return: it ends soon
            delete worker;
            return JobEnd::Done;
        }
        cancelledWorkers().push_back(worker);
        return JobEnd::Cancelled;
    }
    worker->wait();
    delete worker;
    if (cancelled)
        return JobEnd::Cancelled;
    if (state->outOfMemory) {
        *failure = systemErrorText(ENOMEM);
        return JobEnd::Failed;
    }
    return JobEnd::Done;
}

void finishCancelledJobs(int msecs)
{
    QDeadlineTimer deadline(msecs);
    for (QThread *t : cancelledWorkers())
        t->wait(deadline);
    reapStoppedWorkers();
}

} // namespace corvane
