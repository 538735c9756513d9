// Qt's own texts (standard buttons, file dialogs) follow the learner's locale.
#include "host/qttranslations.h"

#include <QDialogButtonBox>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

QString CancelText() {
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    return box.button(QDialogButtonBox::Cancel)->text();
}

TEST(QtTranslations, StandardButtonsSpeakTheLocalesLanguage) {
    // English needs no translation: Qt's texts stay as they are.
    EXPECT_FALSE(InstallQtTranslations(QLocale(QLocale::English, QLocale::UnitedStates)));
    EXPECT_EQ(CancelText(), QStringLiteral("Cancel"));
    ASSERT_TRUE(InstallQtTranslations(QLocale(QLocale::Chinese, QLocale::China)))
        << "Qt's translations are installed (qt6-translations-l10n)";
    EXPECT_TRUE(CancelText().startsWith(QStringLiteral("取消"))) << CancelText().toStdString();
}

} // namespace
