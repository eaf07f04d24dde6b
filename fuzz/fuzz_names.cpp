// Fuzzes the text made from a file name's bytes, the path encoding and NoExtension.

#include "listing/filenames.h"

#include <QString>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString shown = corvane::displayName(bytes);

    // One name, one line: no control character survives, no broken surrogate.
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const char16_t c = shown[i].unicode();
        if (c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F) || c == 0x2028 || c == 0x2029)
            std::abort();
        if (QChar::isHighSurrogate(c) && !(i + 1 < shown.size() && shown[i + 1].isLowSurrogate()))
            std::abort();
        if (QChar::isLowSurrogate(c) && !(i > 0 && shown[i - 1].isHighSurrogate()))
            std::abort();
    }
    // Text that needed no escape comes back exactly.
    if (!shown.contains(u'\\') && shown.toUtf8() != bytes.toByteArray())
        std::abort();

    // As a path the bytes come back exactly, and are shown alike.
    const QString path = corvane::pathFromBytes(bytes);
    if (corvane::pathToBytes(path) != bytes.toByteArray() || corvane::displayPath(path) != shown)
        std::abort();

    // NoExtension keeps everything before the last dot, and only that.
    const QString stem = corvane::NoExtension(shown);
    if (stem != shown) {
        if (!shown.startsWith(stem) || shown.at(stem.size()) != u'.'
            || shown.indexOf(u'.', stem.size() + 1) >= 0)
            std::abort();
    } else if (shown.contains(u'.')) {
        std::abort();
    }
    return 0;
}
