#include "dialogs/config.h"
#include "platform/translations.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProcess>

#include <gtest/gtest.h>

#include <cstdio>

// The settings dialog as the program shows it in the locale it was started in. Not a test of its
// own: the tests below run it in a fresh process with LANG set and read what it prints.
TEST(LanguageProbe, DISABLED_PrintsTheSettingsDialog) {
    InstallTranslation(*QCoreApplication::instance());
    const TConfig_Form form;
    std::printf("title=%s\nlabel=%s\n", form.windowTitle().toUtf8().constData(),
                form.Label1->text().toUtf8().constData());
}

namespace {
struct LanguageCase {
    const char* lang;
    const char* title;
    const char* label;
};

void PrintTo(const LanguageCase& c, std::ostream* out) {
    *out << c.lang;
}

class ProgramLanguage : public ::testing::TestWithParam<LanguageCase> {};

// What the dialog shows when the program starts with LANG set to lang and nothing overriding it.
QStringList ShownUnder(const char* lang) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* overriding : {"LC_ALL", "LC_MESSAGES", "LANGUAGE"})
        environment.remove(QString::fromLatin1(overriding));
    environment.insert(QStringLiteral("LANG"), QString::fromLatin1(lang));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess probe;
    probe.setProcessEnvironment(environment);
    probe.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_also_run_disabled_tests"),
                 QStringLiteral("--gtest_filter=LanguageProbe.DISABLED_PrintsTheSettingsDialog")});
    if (!probe.waitForFinished(60000))
        return {};
    QStringList shown;
    for (const QString& line : QString::fromUtf8(probe.readAllStandardOutput()).split(u'\n'))
        if (line.startsWith(QLatin1String("title=")) || line.startsWith(QLatin1String("label=")))
            shown << line;
    return shown;
}
} // namespace

TEST_P(ProgramLanguage, SettingsDialogTitleAndLabel) {
    const LanguageCase& expected = GetParam();
    EXPECT_EQ(ShownUnder(expected.lang),
              (QStringList{QStringLiteral("title=") + QString::fromUtf8(expected.title),
                           QStringLiteral("label=") + QString::fromUtf8(expected.label)}));
}

// English for every language without a translation of its own; the texts as written for Japanese
// and for the C locale.
INSTANTIATE_TEST_SUITE_P(Locales, ProgramLanguage,
                         ::testing::Values(LanguageCase{"en_US.UTF-8", "Settings", "&Exit code:"},
                                           LanguageCase{"de_DE.UTF-8", "Settings", "&Exit code:"},
                                           LanguageCase{"fr_FR.UTF-8", "Settings", "&Exit code:"},
                                           LanguageCase{"ja_JP.UTF-8", "環境設定",
                                                        "終了コード(&E):"},
                                           LanguageCase{"C", "環境設定", "終了コード(&E):"},
                                           LanguageCase{"C.UTF-8", "環境設定", "終了コード(&E):"}),
                         [](const ::testing::TestParamInfo<LanguageCase>& info) {
                             std::string name = info.param.lang;
                             for (char& c : name)
                                 if (c == '.' || c == '-')
                                     c = '_';
                             return name;
                         });
