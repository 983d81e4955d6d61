#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

class QCoreApplication;

// The program's own texts are its Japanese and English captions as they stand in the sources: the
// Japanese and the C locale see them as they are. Any other locale gets its language's translation
// when one is shipped, else the English one.
//
// The language whose translation the locale gets, or an empty text for the sources' own.
QString TranslationLanguage(const QLocale& locale, const QStringList& shipped);
// Whether the language's translation is shipped with the program (built into it).
bool IsShipped(const QString& language);
// Installs the translation the locale gets, with Qt's own in the same language for its dialogs
// where the system has it, for the lifetime of the application. Returns its language, empty for
// the sources' texts.
QString InstallTranslation(QCoreApplication& app, const QLocale& locale = QLocale::system());
