#include "platform/translations.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QTranslator>

namespace {
const char* const kFolder = ":/i18n";
const char* const kPrefix = "couchframe_";
const char* const kSuffix = ".qm";
const char* const kFallback = "en";

const char* const kJapanese = "ja";

bool ShowsTheSources(const QLocale& locale) {
    return locale.language() == QLocale::C || locale.language() == QLocale::Japanese;
}
} // namespace

bool IsShipped(const QString& language) {
    return QFile::exists(QLatin1String(kFolder) + QLatin1Char('/') + QLatin1String(kPrefix) +
                         language + QLatin1String(kSuffix));
}

QString TranslationLanguage(const QLocale& locale, const QStringList& shipped) {
    // Japanese reads the sources, and its own catalogue for the texts written in English.
    if (locale.language() == QLocale::Japanese && shipped.contains(QLatin1String(kJapanese)))
        return QString::fromLatin1(kJapanese);
    if (ShowsTheSources(locale))
        return {};
    // "pt_BR" before "pt".
    const QString name = locale.name();
    const QString language = name.section(QLatin1Char('_'), 0, 0);
    for (const QString& candidate : {name, language})
        if (shipped.contains(candidate))
            return candidate;
    return shipped.contains(QLatin1String(kFallback)) ? QString::fromLatin1(kFallback) : QString();
}

QString InstallTranslation(QCoreApplication& app, const QLocale& locale) {
    // Only the languages the locale could get are looked for: listing the built-in folder costs a
    // millisecond of every start, most of it in compiling a name filter.
    QStringList shipped;
    const QString name = locale.name();
    for (const QString& candidate :
         {name, name.section(QLatin1Char('_'), 0, 0), QString::fromLatin1(kFallback)})
        if (IsShipped(candidate))
            shipped << candidate;
    const QString language = TranslationLanguage(locale, shipped);
    if (!language.isEmpty()) {
        auto* own = new QTranslator(&app);
        if (own->load(QLatin1String(kPrefix) + language, QLatin1String(kFolder)))
            QCoreApplication::installTranslator(own);
    }
    // Qt's own dialogs (the folder browser) in the same language as ours, never a third one:
    // Japanese where the sources are shown, none where ours are English, as Qt's are.
    const QLocale shown = language.isEmpty() ? locale : QLocale(language);
    if (shown.language() == QLocale::C || shown.language() == QLocale::English)
        return language;
    auto* qt = new QTranslator(&app);
    if (qt->load(shown, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    return language;
}
