#include "base/answers.h"

namespace corvane {

QString trimSpaces(const QString &answer)
{
    qsizetype first = 0;
    qsizetype end = answer.size();
    while (first < end && answer.at(first) == u' ')
        ++first;
    while (end > first && answer.at(end - 1) == u' ')
        --end;
    return answer.sliced(first, end - first);
}

} // namespace corvane
