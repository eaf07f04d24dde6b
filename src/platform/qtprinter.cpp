#include "platform/qtservices.h"

#include <QCoreApplication>
#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QLibrary>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QTextLayout>

#include <algorithm>

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

// One row per line in the given size: the first column's text wraps within
// the width the other columns leave; each other column is drawn right-aligned
// on the row's first line, on its baseline. A new page when one is full. False
// when the printer's paint engine gave up.
bool paintRows(QPrinter &printer, const QList<QStringList> &columns, int pointSize)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    QFont font = painter.font();
    font.setPointSize(pointSize);
    painter.setFont(font);
    const QFontMetricsF metrics(font, &printer);
    const qreal height = printer.height();
    const qreal spacing = metrics.lineSpacing();
    const qreal gap = 2 * metrics.averageCharWidth();

    // Each further column as wide as its widest text, at the right edge.
    const QStringList none;
    const QStringList &texts = columns.isEmpty() ? none : columns.first();
    QList<qreal> widths, lefts;
    qreal right = printer.width();
    for (qsizetype k = columns.size() - 1; k >= 1; --k) {
        qreal widest = 0;
        for (const QString &text : columns.at(k))
            widest = std::max(widest, metrics.horizontalAdvance(text));
        right -= widest;
        widths.prepend(widest);
        lefts.prepend(right);
        right -= gap;
    }
    // The texts keep at least a quarter of the page, however wide the rest.
    const qreal width = std::max(right, qreal(printer.width()) / 4);
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
    auto drawColumns = [&](qsizetype row, qreal baseline) {
        for (qsizetype k = 1; k < columns.size(); ++k) {
            const QString text = columns.at(k).value(row);
            painter.drawText(QPointF(lefts[k - 1] + widths[k - 1] - metrics.horizontalAdvance(text), baseline), text);
        }
    };
    for (qsizetype row = 0; row < texts.size(); ++row) {
        const QString &text = texts.at(row);
        if (text.isEmpty()) { // an empty item still takes its line
            if (!room(spacing))
                return false;
            drawColumns(row, y + metrics.ascent());
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
            if (i == 0)
                drawColumns(row, y + line.ascent());
            y += line.height();
        }
    }
    return painter.end();
}

} // namespace

Result<> QtPrinter::printColumns(const QList<QStringList> &columns, int pointSize)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return {{}, QCoreApplication::translate("Services", "No default printer is set up on this system.")};

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
    if (!paintRows(printer, columns, pointSize) || printer.printerState() == QPrinter::Error)
        return {{}, QCoreApplication::translate("Services", "The document for the printer %1 could not be prepared.")
                        .arg(info.printerName())};

    const int job = printFile(info.printerName().toLocal8Bit().constData(), QFile::encodeName(document).constData(),
                              jobTitle, 0, nullptr);
    if (job == 0)
        return {{}, QString::fromUtf8(lastError())};
    return {};
}

} // namespace corvane
