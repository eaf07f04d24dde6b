// The menu entry's texts (resources/org.corvane.Corvane.desktop): translated
// with the program's own, and written by the build into the menu entry it
// installs, one line per language (translations/tstool.py desktop). The
// program never shows them; they stand here so that they are translated.
#include <QtGlobal>

namespace {

[[maybe_unused]] const char *const kDesktopEntryTexts[] = {
    QT_TRANSLATE_NOOP("DesktopEntry", "Corvane+"),
    QT_TRANSLATE_NOOP("DesktopEntry", "File List Maker"),
    QT_TRANSLATE_NOOP("DesktopEntry", "List the files of a folder and its subfolders, with sizes and dates, as a "
                                      "text document, a web page, CSV, JSON, a Markdown table or a printout"),
    QT_TRANSLATE_NOOP("DesktopEntry",
                      "files;folder;subfolders;list;directory;sizes;dates;print;web page;text;CSV;JSON;Markdown;"
                      "spreadsheet;"),
};

} // namespace
