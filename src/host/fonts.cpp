#include "host/fonts.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>

void InstallFontSubstitutes() {
    QFont::insertSubstitution(QStringLiteral("宋体"), QStringLiteral("AR PL UMing CN"));
    QFont::insertSubstitution(QStringLiteral("华文楷体"), QStringLiteral("AR PL UKai CN"));
    QFont::insertSubstitution(QStringLiteral("Times New Roman"),
                              QStringLiteral("Liberation Serif"));
}

core::Status InstallFonts(const QString& appDir) {
    InstallFontSubstitutes();
    return InstallPhoneticFont(appDir);
}

core::Status InstallPhoneticFont(const QString& appDir) {
    const QString phonetic = appDir + QStringLiteral("DFPhonetic.ttf");
    if (!QFile::exists(phonetic)) {
        return core::Status::Font(core::Failure::FontMissing, phonetic.toStdString());
    }
    if (QFontDatabase::addApplicationFont(phonetic) < 0) {
        return core::Status::Font(core::Failure::FontUnusable, phonetic.toStdString());
    }
    return core::Status::Ok();
}
