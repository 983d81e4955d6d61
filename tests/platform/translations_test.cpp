#include "platform/translations.h"

#include "translation_scope.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

TEST(TranslationLanguageTest, EnglishUnlessTheLocaleHasItsOwnOrReadsTheSources) {
    const QStringList shipped = {QStringLiteral("en"), QStringLiteral("pt_BR"),
                                 QStringLiteral("es")};
    EXPECT_EQ(TranslationLanguage(QLocale(QStringLiteral("en_US")), shipped), "en");
    EXPECT_EQ(TranslationLanguage(QLocale(QStringLiteral("en_GB")), shipped), "en");
    EXPECT_EQ(TranslationLanguage(QLocale(QStringLiteral("de_DE")), shipped), "en");
    EXPECT_EQ(TranslationLanguage(QLocale(QStringLiteral("fr_FR")), shipped), "en");
    EXPECT_EQ(TranslationLanguage(QLocale(QStringLiteral("es_MX")), shipped), "es");
    EXPECT_EQ(TranslationLanguage(QLocale(QStringLiteral("pt_BR")), shipped), "pt_BR");
    EXPECT_EQ(TranslationLanguage(QLocale(QStringLiteral("pt_PT")), shipped), "en");
    // Japanese and the C locale read the program's own texts.
    EXPECT_EQ(TranslationLanguage(QLocale(QStringLiteral("ja_JP")), shipped), "");
    EXPECT_EQ(TranslationLanguage(QLocale::c(), shipped), "");
    // A Japanese catalogue, for the texts written in English, is Japanese's own.
    EXPECT_EQ(TranslationLanguage(QLocale(QStringLiteral("ja_JP")), shipped + QStringList{"ja"}),
              "ja");
    EXPECT_EQ(TranslationLanguage(QLocale::c(), shipped + QStringList{"ja"}), "");
    // Nothing shipped: the sources for everyone.
    EXPECT_EQ(TranslationLanguage(QLocale(QStringLiteral("de_DE")), {}), "");
}

TEST(TranslationLanguageTest, EnglishIsBuiltIn) {
    EXPECT_TRUE(IsShipped(QStringLiteral("en")));
    EXPECT_FALSE(IsShipped(QStringLiteral("xx")));
    const TranslationScope english(QStringLiteral("en"));
    ASSERT_TRUE(english.Loaded());
    EXPECT_EQ(QCoreApplication::translate("TConfig_Form", "環境設定"), QStringLiteral("Settings"));
    // A text the translation does not know stays as written.
    EXPECT_EQ(QCoreApplication::translate("TConfig_Form", "no such text"),
              QStringLiteral("no such text"));
}

TEST(TranslationLanguageTest, JapaneseKeepsTheSourcesAndTranslatesTheEnglishTexts) {
    ASSERT_TRUE(IsShipped(QStringLiteral("ja")));
    const TranslationScope japanese(QStringLiteral("ja"));
    ASSERT_TRUE(japanese.Loaded());
    EXPECT_EQ(QCoreApplication::translate("TConfig_Form", "環境設定"), QStringLiteral("環境設定"));
    EXPECT_EQ(QCoreApplication::translate("Tmain_form", "my Video"), QStringLiteral("my Video"));
    EXPECT_EQ(QCoreApplication::translate("TPhone_Form", "Phone connected"),
              QStringLiteral("スマホが接続されました"));
}
