// Fuzzes every document format and the copy against their reference forms
// (the output line encoded by QString::toUtf8, escaped on the page, quoted in
// CSV, facts as QDateTime writes them). The first byte chooses numbering
// (bit 0), extensions shown (bit 1), whether the rest is read as UTF-16 (bit 2,
// so lone surrogates occur too), facts on (bit 3) and only every other row
// for the copy (bit 4); the next byte how many short items come first, so that
// the numbers pass 9, 99 and 999; the rest is the item, written twice, and the
// page title. With facts on, every third item's are unknown and the others'
// times spread from the first four bytes of the rest.

#include "output/documents.h"
#include "support/reference.h"

#include <QString>
#include <QStringList>

#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    using namespace corvane;
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

    std::vector<FileFacts> facts;
    if (data[0] & 8) {
        qint32 start = 0;
        std::memcpy(&start, rest, size_t(std::min<qsizetype>(restSize, 4)));
        for (qsizetype i = 0; i < items.size(); ++i)
            facts.push_back(i % 3 == 2 ? FileFacts{} : FileFacts{i * 1000003 - 1, qint64(start) + i * 86399});
    }
    std::vector<qsizetype> rows;
    if (data[0] & 16)
        for (qsizetype i = 0; i < items.size(); i += 2)
            rows.push_back(i);

    const DocumentContent content{.items = items,
                                  .facts = facts,
                                  .numbered = bool(data[0] & 1),
                                  .showExtensions = bool(data[0] & 2),
                                  .title = item};
    for (const DocumentFormat &format : documentFormats())
        if (documentBytes(format, content) != test::referenceDocument(format, content))
            std::abort();
    DocumentContent copied = content;
    copied.rows = rows;
    if (copiedText(copied) != test::referenceTextDocument(copied, "\n"))
        std::abort();
    return 0;
}
