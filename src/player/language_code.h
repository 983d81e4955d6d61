#pragma once

#include <QString>

// ISO 639 language codes as containers, subtitle file names and mpv give them: two letters
// (639-1, "de"), or three in the terminological (639-2/T, "deu") or bibliographic (639-2/B,
// "ger") form. A BCP 47 tag ("en-US") counts as the language it names first.

// True when both codes name the same language in any of their forms, letter case ignored ("en",
// "eng", "EN"). An empty code or "und" (undetermined) matches nothing, not even itself; a code Qt
// does not know ("mul", "qaa") matches only itself.
bool SameLanguage(const QString& a, const QString& b);

// The lower-case three-letter ISO 639-2/T form ("ger" and "de" give "deu"), as settings store it
// and mpv's track options take it; a code without one comes back lower-cased.
QString NormalLanguageCode(const QString& code);

// True for a two- or three-letter code of a known language ("en", "eng", "ger"), never "und".
bool IsLanguageCode(const QString& code);

// The language an English language name calls ("English", "japanese"), as NormalLanguageCode
// gives it; empty when no language has that name.
QString LanguageCodeOfName(const QString& name);

// The language's English name ("German" for "ger"); empty when the code names no known language.
QString EnglishLanguageName(const QString& code);
