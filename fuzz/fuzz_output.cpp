// Fuzzes the two documents against their reference forms (the output line
// encoded by QString::toUtf8, escaped on the page). The first byte chooses
// numbering (bit 0), extensions shown (bit 1) and whether the rest is read as
// UTF-16 (bit 2, so lone surrogates occur too); the next byte how many short
// items come first, so that the numbers pass 9, 99 and 999; the rest is the
// item, written twice, and the page title.

#include "output/documents.h"
#include "support/reference.h"

#include <QString>
#include <QStringList>

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const bool numbered = data[0] & 1;
    const bool showExtensions = data[0] & 2;
    const char *rest = reinterpret_cast<const char *>(data + 2);
    const qsizetype restSize = qsizetype(size - 2);
    QString item;
    if (data[0] & 4) {
        item.resize(restSize / 2);
        std::memcpy(item.data(), rest, size_t(item.size()) * 2); // any code units, lone surrogates too
    } else {
        item = QString::fromUtf8(rest, restSize);
    }
    QStringList items(qsizetype(data[1]) * 4, QStringLiteral("a.b"));
    items << item << item;

    using namespace corvane;
    if (textDocument(items, numbered, showExtensions) != test::referenceTextDocument(items, numbered, showExtensions))
        std::abort();
    if (htmlDocument(items, item, numbered, showExtensions)
        != test::referenceHtmlDocument(items, item, numbered, showExtensions))
        std::abort();
    return 0;
}
