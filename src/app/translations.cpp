#include "app/translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace corvane {

QStringList userLanguages()
{
    // The locale that names the language of messages: the first of these set.
    QByteArray messages;
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        messages = qgetenv(name);
        if (!messages.isEmpty())
            break;
    }
    if (messages.isEmpty() || messages == "C" || messages.startsWith("C.") || messages == "POSIX")
        return {};
    return QLocale::system().uiLanguages();
}

QString translationsFolder()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath()
                           + QStringLiteral("/../share/corvane/translations"));
}

QString installTranslations(const QStringList &languages, const QString &folder)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return {};
    for (const QString &language : languages) {
        const QLocale locale(language);
        // The source texts are English: a user who puts English before a
        // language the program has gets English.
        if (locale.language() == QLocale::C || locale.language() == QLocale::English)
            return {};
        // corvane_de_AT.qm, else corvane_de.qm, for de-AT.
        auto *own = new QTranslator(app);
        if (!own->load(locale, QStringLiteral("corvane"), QStringLiteral("_"), folder)) {
            delete own;
            continue;
        }
        // Qt's own first, so that the program's word wins where both have one.
        auto *qt = new QTranslator(app);
        if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(qt);
        else
            delete qt; // the program's texts all the same; Qt's buttons stay English
        QCoreApplication::installTranslator(own);
        return language;
    }
    return {};
}

} // namespace corvane
