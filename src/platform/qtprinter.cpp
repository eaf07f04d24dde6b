#include "platform/qtservices.h"

namespace corvane {

ServiceResult QtPrinter::printLines(const QStringList &lines, int pointSize)
{
    // Printing arrives with the output commands.
    Q_UNUSED(lines);
    Q_UNUSED(pointSize);
    return {QStringLiteral("Printing is not available in this build.")};
}

} // namespace corvane
