#pragma once
// The program's texts in the user's language. The English texts in the code
// are the source; a language is a file corvane_LANG.qm (made from
// translations/corvane_LANG.ts), loaded together with Qt's own translation of
// the same language (qtbase_LANG.qm: the standard buttons such as "OK" and
// "Cancel", the command line parser's messages). The first of the user's
// languages the program has wins; English, or none that fits, leaves every
// text as written. The documents' contents never go through here.

#include <QString>
#include <QStringList>

namespace corvane {

// The languages the user asked for, first choice first (LANGUAGE, else the
// messages locale, as QLocale::system().uiLanguages() reads them). Empty in the
// C or POSIX locale, whatever LANGUAGE says, as gettext has it: a C locale is
// how scripts and tests ask for the texts as written.
QStringList userLanguages();

// Where the program's .qm files are: share/corvane/translations beside the
// folder of the program, which is /usr/share/corvane/translations for
// /usr/bin/corvane, and build/share/corvane/translations for the build tree's
// build/src/corvane and its test programs in build/tests. Needs the
// application object.
QString translationsFolder();

// Installs the program's translation and Qt's for the first of languages that
// has a corvane_LANG.qm in folder; English or C ends the search with nothing
// installed. The translators belong to the application object, which must
// exist. Returns the language installed ("de"), empty when none.
QString installTranslations(const QStringList &languages = userLanguages(),
                            const QString &folder = translationsFolder());

} // namespace corvane
