// The program's language on a machine without one (the tests run with LC_ALL=C.UTF-8, set up as
// the program sets itself up), and Qt's own texts in German.

#include "core/util/ProgramLanguage.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace tvp;

TEST(ProgramLanguage, AMachineWithoutALanguageIsGermanAndAnyOtherKeepsItsOwn)
{
    ASSERT_EQ(QLocale::system().language(), QLocale::C) << "the test run's machine locale";
    EXPECT_EQ(QLocale().language(), QLocale::German);
    EXPECT_EQ(QLocale().toString(1.5, 'f', 1), QStringLiteral("1,5"));
    bool ok = false;
    EXPECT_DOUBLE_EQ(QLocale().toDouble(QStringLiteral("1,5"), &ok), 1.5);
    EXPECT_TRUE(ok);

    EXPECT_EQ(programLocale(QLocale::c()), QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(programLocale(QLocale(QStringLiteral("POSIX"))).language(), QLocale::German);
    EXPECT_EQ(programLocale(QLocale(QLocale::English, QLocale::UnitedKingdom)),
              QLocale(QLocale::English, QLocale::UnitedKingdom));
    EXPECT_EQ(programLocale(QLocale(QLocale::German, QLocale::Austria)), QLocale(QLocale::German, QLocale::Austria));
}

TEST(ProgramLanguage, QtsStandardButtonsSpeakGermanOnceTheTranslationsAreLoaded)
{
    ASSERT_TRUE(installQtTranslations(*qApp)) << "qt6-translations-l10n is installed by scripts/deps.sh";
    QDialogButtonBox buttons(QDialogButtonBox::Cancel | QDialogButtonBox::Yes | QDialogButtonBox::Close);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text().remove(u'&'), QStringLiteral("Abbrechen"));
    EXPECT_EQ(buttons.button(QDialogButtonBox::Yes)->text().remove(u'&'), QStringLiteral("Ja"));
    EXPECT_EQ(buttons.button(QDialogButtonBox::Close)->text().remove(u'&'), QStringLiteral("Schließen"));
}
