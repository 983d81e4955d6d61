#include "player/track_choice.h"

#include <QCoreApplication>
#include <QLocale>
#include <QStringList>

namespace {
// The language's own English name where Qt knows the code, else the code itself.
QString LanguageName(const QString& code) {
    // "und" is how containers say "undetermined".
    if (code.isEmpty() || code == QLatin1String("und"))
        return {};
    const QLocale::Language language = QLocale::codeToLanguage(code);
    if (language == QLocale::AnyLanguage || language == QLocale::C)
        return code;
    return QLocale::languageToString(language);
}
} // namespace

QString TrackChoiceText(TrackKind kind, const std::optional<TrackDescription>& selected,
                        int count) {
    const bool subtitles = kind == TrackKind::Subtitles;
    if (count == 0)
        return subtitles ? QCoreApplication::translate("Player", "No subtitles")
                         : QCoreApplication::translate("Player", "No audio track");
    if (!selected)
        return subtitles ? QCoreApplication::translate("Player", "Subtitles off")
                         : QCoreApplication::translate("Player", "Audio off");
    QStringList parts;
    const QString name = LanguageName(selected->language);
    // A subtitle file's title begins with its language already ("English SDH").
    if (!name.isEmpty() && !selected->title.startsWith(name))
        parts << name;
    if (!selected->title.isEmpty())
        parts << selected->title;
    if (parts.isEmpty())
        parts << QCoreApplication::translate("Player", "Track %1").arg(selected->number);
    //: %1 is "Subtitles" or "Audio", %2 the track's name, %3 its number, %4 the count.
    return QCoreApplication::translate("Player", "%1: %2 (%3 of %4)")
        .arg(subtitles ? QCoreApplication::translate("Player", "Subtitles")
                       : QCoreApplication::translate("Player", "Audio"),
             parts.join(QStringLiteral(" — ")))
        .arg(selected->number)
        .arg(count);
}

QString PreferredLanguages(const QLocale& locale) {
    const QLocale::Language language = locale.language();
    if (language == QLocale::C || language == QLocale::AnyLanguage)
        return {};
    QStringList codes;
    for (const auto type : {QLocale::ISO639Part1, QLocale::ISO639Part2T, QLocale::ISO639Part2B}) {
        const QString code = QLocale::languageToCode(language, type);
        if (!code.isEmpty() && !codes.contains(code))
            codes << code;
    }
    return codes.join(QLatin1Char(','));
}
