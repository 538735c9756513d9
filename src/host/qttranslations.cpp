#include "host/qttranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool InstallQtTranslations(const QLocale& locale) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    // "qt" is the catalogue that gathers qtbase and the other modules a program uses; older
    // layouts ship qtbase alone.
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(locale, QStringLiteral("qt"), QStringLiteral("_"), folder) ||
        translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), folder)) {
        if (QCoreApplication::installTranslator(translator)) {
            return true;
        }
    }
    delete translator;
    return false;
}
