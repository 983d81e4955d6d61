#pragma once

#include <QCoreApplication>
#include <QTranslator>

// Shows the program in a shipped translation (its language code, as "en") while it lives.
class TranslationScope {
public:
    explicit TranslationScope(const QString& language) {
        loaded_ =
            translator_.load(QStringLiteral("couchframe_") + language, QStringLiteral(":/i18n"));
        if (loaded_)
            QCoreApplication::installTranslator(&translator_);
    }
    ~TranslationScope() { QCoreApplication::removeTranslator(&translator_); }
    TranslationScope(const TranslationScope&) = delete;
    TranslationScope& operator=(const TranslationScope&) = delete;

    bool Loaded() const { return loaded_; }

private:
    QTranslator translator_;
    bool loaded_ = false;
};
