#include "player/language_code.h"

#include <QHash>
#include <QLocale>

namespace {
// Codes Qt 6.4 does not know for languages it knows by another code: the bibliographic codes ISO
// withdrew in 2008, and macrolanguages whose two-letter code Qt reads as one of their members
// ("no" as Bokmål, "sh" as Serbian, "tl" as Filipino, "mo" as Romanian).
struct Alias {
    QLatin1StringView code;
    QLocale::Language language;
};
constexpr Alias kAliases[] = {
    {QLatin1StringView("nor"), QLocale::NorwegianBokmal},
    {QLatin1StringView("hbs"), QLocale::Serbian},
    {QLatin1StringView("scc"), QLocale::Serbian},
    {QLatin1StringView("scr"), QLocale::Croatian},
    {QLatin1StringView("tgl"), QLocale::Filipino},
    {QLatin1StringView("mol"), QLocale::Romanian},
};

bool AsciiLetters(QStringView text) {
    for (const QChar c : text) {
        if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')))
            return false;
    }
    return true;
}

// The code before a BCP 47 region or script ("pt" of "pt-BR"), lower-cased.
QString PrimaryCode(const QString& code) {
    qsizetype end = 0;
    while (end < code.size() && code[end] != u'-' && code[end] != u'_')
        ++end;
    return code.left(end).toLower();
}

QLocale::Language LanguageOf(const QString& code) {
    const QString primary = PrimaryCode(code);
    if (primary.size() < 2 || primary.size() > 3 || !AsciiLetters(primary) ||
        primary == QLatin1String("und"))
        return QLocale::AnyLanguage;
    for (const Alias& alias : kAliases) {
        if (primary == alias.code)
            return alias.language;
    }
    const QLocale::Language language = QLocale::codeToLanguage(primary, QLocale::AnyLanguageCode);
    return language == QLocale::C ? QLocale::AnyLanguage : language;
}

QString CodeOf(QLocale::Language language) {
    return QLocale::languageToCode(language, QLocale::ISO639Part2T);
}
} // namespace

bool SameLanguage(const QString& a, const QString& b) {
    const QLocale::Language first = LanguageOf(a);
    const QLocale::Language second = LanguageOf(b);
    if (first != QLocale::AnyLanguage || second != QLocale::AnyLanguage)
        return first == second;
    const QString code = a.toLower();
    return !code.isEmpty() && code != QLatin1String("und") && code == b.toLower();
}

QString NormalLanguageCode(const QString& code) {
    if (const QLocale::Language language = LanguageOf(code); language != QLocale::AnyLanguage) {
        // Cantonese and a few more have only an ISO 639-3 code ("yue"), kept as given.
        if (const QString normal = CodeOf(language); !normal.isEmpty())
            return normal;
    }
    return code.toLower();
}

bool IsLanguageCode(const QString& code) {
    return (code.size() == 2 || code.size() == 3) && AsciiLetters(code) &&
           LanguageOf(code) != QLocale::AnyLanguage;
}

QString LanguageCodeOfName(const QString& name) {
    // Built once, thread-safely, and only read after.
    static const QHash<QString, QLocale::Language> languages = [] {
        QHash<QString, QLocale::Language> names;
        for (int value = QLocale::C + 1; value <= QLocale::LastLanguage; ++value) {
            const auto language = static_cast<QLocale::Language>(value);
            if (const QString text = QLocale::languageToString(language); !text.isEmpty())
                names.insert(text.toLower(), language);
        }
        return names;
    }();
    const auto found = languages.constFind(name.toLower());
    if (found == languages.cend())
        return {};
    const QString code = CodeOf(*found);
    return code.isEmpty() ? QLocale::languageToCode(*found) : code;
}

QString EnglishLanguageName(const QString& code) {
    const QLocale::Language language = LanguageOf(code);
    return language == QLocale::AnyLanguage ? QString() : QLocale::languageToString(language);
}
