#include "listing/release.h"

#include <QThreadPool>

namespace corvane {

void releaseInBackground(QStringList &&texts)
{
    constexpr qsizetype kWorthAThread = 50000;
    if (texts.size() < kWorthAThread) {
        texts = QStringList();
        return;
    }
    QThreadPool::globalInstance()->start([doomed = std::move(texts)]() mutable { doomed = QStringList(); });
}

} // namespace corvane
