#pragma once

#include <QString>

// A caption as it shows with "&" as the mnemonic prefix: "&&" shows one "&", a single "&" is not
// shown and underlines the character after it (underlined is its index in text, or -1).
struct ShownCaption {
    QString text;
    qsizetype underlined = -1;
};
ShownCaption ShowMnemonic(const QString& caption);

// The text with every "&" doubled, so that it shows as it is where "&" is the mnemonic prefix.
QString EscapeMnemonic(QString text);
