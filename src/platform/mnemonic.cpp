#include "platform/mnemonic.h"

ShownCaption ShowMnemonic(const QString& caption) {
    ShownCaption shown;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size()) {
            ++i;
            if (caption[i] != QLatin1Char('&') && shown.underlined < 0)
                shown.underlined = shown.text.size();
        }
        shown.text += caption[i];
    }
    return shown;
}

QString EscapeMnemonic(QString text) {
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}
