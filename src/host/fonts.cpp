#include "host/fonts.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>

QStringList FontRoles() {
    return {QStringLiteral("宋体"), QStringLiteral("华文楷体"), QStringLiteral("Times New Roman")};
}

void InstallFontSubstitutes() {
    // Qt takes, for each script of a text, the first face of the list that has it. The AR PL
    // faces draw Latin letters as a typewriter does, l like 1, which a learner of English
    // must never see: English comes from Noto Serif CJK's own proportional Latin or from
    // Liberation Serif, Chinese from the face the role names. AR PL UMing is the last resort
    // where Noto CJK is missing.
    const QString notoSerif = QStringLiteral("Noto Serif CJK SC");
    const QString liberationSerif = QStringLiteral("Liberation Serif");
    QFont::insertSubstitutions(QStringLiteral("宋体"),
                               {notoSerif, liberationSerif, QStringLiteral("AR PL UMing CN")});
    // Kai keeps its brush-drawn Chinese; its Latin letters are the typewriter's again.
    QFont::insertSubstitutions(QStringLiteral("华文楷体"),
                               {liberationSerif, QStringLiteral("AR PL UKai CN"), notoSerif});
    QFont::insertSubstitutions(QStringLiteral("Times New Roman"), {liberationSerif, notoSerif});
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
