#include "host/fonts.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>

bool InstallFonts(const QString& appDir) {
    QFont::insertSubstitution(QStringLiteral("宋体"), QStringLiteral("AR PL UMing CN"));
    QFont::insertSubstitution(QStringLiteral("华文楷体"), QStringLiteral("AR PL UKai CN"));
    QFont::insertSubstitution(QStringLiteral("Times New Roman"),
                              QStringLiteral("Liberation Serif"));
    const QString phonetic = appDir + QStringLiteral("DFPhonetic.ttf");
    if (!QFile::exists(phonetic)) {
        return false;
    }
    return QFontDatabase::addApplicationFont(phonetic) >= 0;
}
