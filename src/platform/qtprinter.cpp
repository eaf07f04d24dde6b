#include "platform/qtservices.h"

#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QLibrary>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QTextLayout>

// Printing on the default printer. Qt lays the lines out on the printer's own
// pages; the finished document is then handed to CUPS ourselves, because Qt's
// own hand-over ignores a refusal and would turn it into a silent success.

namespace corvane {

namespace {

// The two libcups calls we need, resolved from the library Qt prints through.
using CupsPrintFile = int (*)(const char *printer, const char *file, const char *title, int optionCount,
                              void *options);
using CupsLastErrorString = const char *(*)();

const char jobTitle[] = "Corvane+";

// One item per line in the given size, long lines wrapped, a new page when one
// is full. False when the printer's paint engine gave up.
bool paintLines(QPrinter &printer, const QStringList &lines, int pointSize)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    QFont font = painter.font();
    font.setPointSize(pointSize);
    painter.setFont(font);
    const qreal width = printer.width();
    const qreal height = printer.height();
    const qreal spacing = QFontMetricsF(font, &printer).lineSpacing();
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);

    qreal y = 0;
    auto room = [&](qreal needed) {
        if (y > 0 && y + needed > height) {
            if (!printer.newPage())
                return false;
            y = 0;
        }
        return true;
    };
    for (const QString &text : lines) {
        if (text.isEmpty()) { // an empty item still takes its line
            if (!room(spacing))
                return false;
            y += spacing;
            continue;
        }
        QTextLayout layout(text, font, &printer);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine())
            line.setLineWidth(width);
        layout.endLayout();
        for (int i = 0; i < layout.lineCount(); ++i) {
            const QTextLine line = layout.lineAt(i);
            if (!room(line.height()))
                return false;
            line.draw(&painter, QPointF(0, y - line.y()));
            y += line.height();
        }
    }
    return painter.end();
}

} // namespace

Result<> QtPrinter::printLines(const QStringList &lines, int pointSize)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return {{}, QStringLiteral("No default printer is set up on this system.")};

    QLibrary cups(QStringLiteral("cups"), 2);
    const auto printFile = reinterpret_cast<CupsPrintFile>(cups.resolve("cupsPrintFile"));
    const auto lastError = reinterpret_cast<CupsLastErrorString>(cups.resolve("cupsLastErrorString"));
    if (!printFile || !lastError)
        return {{}, cups.errorString()};

    QTemporaryDir folder;
    if (!folder.isValid())
        return {{}, folder.errorString()};
    const QString document = folder.filePath(QStringLiteral("job.pdf"));

    // The printer's own paper and printable area, drawn into the document that
    // goes to its queue.
    QPrinter printer(info, QPrinter::HighResolution);
    const QPageLayout layout = printer.pageLayout();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(document);
    printer.setPageLayout(layout);
    printer.setDocName(QString::fromLatin1(jobTitle));
    printer.setCreator(QString::fromLatin1(jobTitle));
    if (!paintLines(printer, lines, pointSize) || printer.printerState() == QPrinter::Error)
        return {{}, QStringLiteral("The document for the printer %1 could not be prepared.").arg(info.printerName())};

    const int job = printFile(info.printerName().toLocal8Bit().constData(), QFile::encodeName(document).constData(),
                              jobTitle, 0, nullptr);
    if (job == 0)
        return {{}, QString::fromUtf8(lastError())};
    return {};
}

} // namespace corvane
