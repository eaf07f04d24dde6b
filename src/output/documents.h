#pragma once
// The documents the list is written out as. A document format is one entry of
// one table: what the window shows and asks for it, what follows once it is
// written, and how its bytes are made. One writer serves every format, the copy
// to the clipboard and the printout's columns, so an item reads the same in all
// of them.
//
// Every document is UTF-8 with CR LF line ends (the last line's too), built
// straight from the item texts: a lone surrogate becomes "?". Each format
// escapes its texts its own way. The contents never change with the language
// or the locale: sizes are plain decimal digits, times are local time in fixed
// forms (the fact columns, listing/facts.h).

#include "base/result.h"
#include "listing/facts.h"
#include "output/atomicwriter.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <span>

namespace corvane {

// What a document lists, and how its lines are shaped.
struct DocumentContent
{
    QStringList items = {}; // the item list's texts, in list order
    // Each item's size and time, one per item. Empty while "Sizes and dates"
    // is off: then no facts are written at all, not even empty columns.
    std::span<const FileFacts> facts = {};
    bool numbered = false;      // each line led by " 1 " (a column of its own in CSV)
    bool showExtensions = true; // false: each line's extension is cut
    QString title = {};         // the page's title; the other formats have none
    // Only these rows (ascending), each numbered by its place in the list, as
    // the marked items are copied; empty: every row.
    std::span<const qsizetype> rows = {};
};

class DocumentWriter; // the one writer, in documents.cpp

// How a format writes a text (a name, a title): encoded and escaped straight
// into room the writer made for at most bytesPerUnit bytes a UTF-16 unit and
// extraBytes more; returns the end of what it wrote.
struct TextEscaping
{
    char *(*put)(char *p, QStringView text);
    qsizetype bytesPerUnit;
    qsizetype extraBytes;
};

// Where a row stands: the item's index in the list (its number counts from
// it), and how many rows the document wrote before it (0 for the first).
struct RowPlace
{
    qsizetype item;
    qsizetype order;
};

// One document format: one row of the formats' table. Its texts are plain
// source strings marked for translation in the context kDocumentFormatContext:
// the window shows them through QCoreApplication::translate. What a document
// holds never changes with the language.
struct DocumentFormat
{
    const char *name;              // its name on the command line
    const char *caption;           // the menu command
    const char *extension;         // always added to the typed name
    const char *nameBoxTitle;      // the box that asks for the document's name
    const char *confirmationTitle; // the box that says it is written ...
    const char *confirmationText;  // ... and its text: %1 the name as typed, %2 the folder
    // The box that asks for a title; a null titleBoxTitle asks none.
    const char *titleBoxTitle = nullptr;
    const char *titlePrompt = nullptr;
    const char *defaultTitle = nullptr; // the box's answer when the user just confirms; not translated
    bool opensAfterwards = false;       // handed to the desktop's viewer once confirmed
    bool onMenuBar = false;             // a command of its own on the menu bar; else an entry of "Export"
    // How its bytes are made: the escaping of its texts, what comes before
    // the rows (null: nothing), one row, what comes after them (null: nothing).
    TextEscaping escaping;
    void (*header)(DocumentWriter &out, const DocumentContent &content) = nullptr;
    void (*row)(DocumentWriter &out, const DocumentContent &content, RowPlace place) = nullptr;
    void (*trailer)(DocumentWriter &out, const DocumentContent &content) = nullptr;

    bool asksTitle() const { return titleBoxTitle != nullptr; }
};

inline constexpr char kDocumentFormatContext[] = "DocumentFormat";

// The formats, in the order of the table: the order of the window's commands
// (those on the menu bar first, then the entries of "Export") and the order
// they are enabled in.
std::span<const DocumentFormat> documentFormats();
// The format of that name or extension ("txt", ".txt"), case ignored; null
// when there is none.
const DocumentFormat *findDocumentFormat(QStringView name);

// The document's bytes, whole.
QByteArray documentBytes(const DocumentFormat &format, const DocumentContent &content);

// The same bytes in pieces of a few hundred KiB, so that no buffer grows with
// the list. False when sink stopped it.
bool streamDocument(const DocumentFormat &format, const DocumentContent &content, const ByteSink &sink);

// Writes the document to name (see writeFileAtomically) as it is made.
Result<QString> writeDocument(const QString &name, const DocumentFormat &format, const DocumentContent &content);

// What a copy of the list puts on the clipboard: the text document's lines,
// each ending in LF (only the rows given, when given).
QByteArray copiedText(const DocumentContent &content);

// The printout's columns: the items exactly as listed (printing ignores
// numbering and extensions) and, while facts are on, the sizes and the times
// ("YYYY-MM-DD HH:MM"), one text per row each, empty where a fact is unknown.
QList<QStringList> printedColumns(const DocumentContent &content);

} // namespace corvane
