#include "player/track_preference.h"

#include "player/language_code.h"

#include <QStringList>

namespace {
// A code fit to store: two or three ASCII letters, and not a word of the stored form.
bool StorableCode(const QString& code) {
    if (code.size() < 2 || code.size() > 3 || code == QLatin1String("und") ||
        code == QLatin1String("off"))
        return false;
    for (const QChar c : code) {
        if (c < u'a' || c > u'z')
            return false;
    }
    return true;
}

int FlagsApart(const TrackFacts& track, const TrackPreference& preference) {
    return static_cast<int>(track.forced != preference.forced) +
           static_cast<int>(track.hearingImpaired != preference.hearingImpaired);
}

// The title's words, split at anything but letters ("English (SDH)" gives "English", "SDH").
QStringList WordsOf(const QString& title) {
    QStringList words;
    QString word;
    for (const QChar c : title) {
        if (c.isLetter()) {
            word += c;
        } else if (!word.isEmpty()) {
            words << word;
            word.clear();
        }
    }
    if (!word.isEmpty())
        words << word;
    return words;
}
} // namespace

TrackPreference PreferenceOf(const std::optional<TrackFacts>& chosen) {
    TrackPreference preference;
    if (!chosen) {
        preference.off = true;
        return preference;
    }
    if (const QString code = NormalLanguageCode(chosen->language); StorableCode(code))
        preference.language = code;
    preference.forced = chosen->forced;
    preference.hearingImpaired = chosen->hearingImpaired;
    return preference;
}

std::optional<std::optional<qint64>> ChooseTrack(const std::vector<TrackFacts>& tracks,
                                                 const TrackPreference& preference) {
    using Choice = std::optional<std::optional<qint64>>;
    if (preference.off)
        return Choice(std::in_place);
    const bool byLanguage = !preference.language.isEmpty();
    if (!byLanguage && !preference.forced && !preference.hearingImpaired)
        return std::nullopt;
    const TrackFacts* best = nullptr;
    for (const TrackFacts& track : tracks) {
        const bool candidate = byLanguage
                                   ? SameLanguage(track.language, preference.language)
                                   : (preference.forced && track.forced) ||
                                         (preference.hearingImpaired && track.hearingImpaired);
        if (candidate && (!best || FlagsApart(track, preference) < FlagsApart(*best, preference)))
            best = &track;
    }
    if (!best)
        return std::nullopt;
    return Choice(std::in_place, best->id);
}

QString PreferenceText(const TrackPreference& preference) {
    if (preference.off)
        return QStringLiteral("off");
    QString text = preference.language;
    if (preference.forced)
        text += QLatin1String("+forced");
    if (preference.hearingImpaired)
        text += QLatin1String("+sdh");
    return text;
}

TrackPreference PreferenceFromText(const QString& text) {
    const QString lower = text.toLower();
    TrackPreference preference;
    if (lower == QLatin1String("off")) {
        preference.off = true;
        return preference;
    }
    const QStringList parts = lower.split(u'+');
    const QString& language = parts.first();
    if (!language.isEmpty() && !StorableCode(language))
        return {};
    preference.language = language.isEmpty() ? QString() : NormalLanguageCode(language);
    for (qsizetype i = 1; i < parts.size(); ++i) {
        if (parts[i] == QLatin1String("forced") && !preference.forced)
            preference.forced = true;
        else if (parts[i] == QLatin1String("sdh") && !preference.hearingImpaired)
            preference.hearingImpaired = true;
        else
            return {};
    }
    return preference;
}

bool HearingImpairedTitle(const QString& title) {
    const QStringList words = WordsOf(title);
    const auto follows = [&](qsizetype at, std::initializer_list<const char*> phrase) {
        for (const char* word : phrase) {
            if (at >= words.size() || words[at].compare(QLatin1String(word), Qt::CaseInsensitive))
                return false;
            ++at;
        }
        return true;
    };
    for (qsizetype i = 0; i < words.size(); ++i) {
        // "HI" only in capitals: "Hi" is a word too.
        if (words[i] == QLatin1String("HI") || follows(i, {"sdh"}) || follows(i, {"cc"}) ||
            follows(i, {"deaf"}) || follows(i, {"hearing", "impaired"}) ||
            follows(i, {"hard", "of", "hearing"}) || follows(i, {"closed", "captions"}) ||
            follows(i, {"closed", "captioned"}) || follows(i, {"closed", "caption"}))
            return true;
    }
    return false;
}
