#include "platform/guessed_text.h"

#include "platform/codepage.h"

#include <QStringDecoder>

bool IsValidUtf8(QByteArrayView bytes) {
    // Stateless: a sequence cut off at the end is an error, not the start of more input.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

QString GuessedText(QByteArrayView bytes) {
    if (IsValidUtf8(bytes))
        return QString::fromUtf8(bytes);
    static const CodePage cp932("CP932");
    bool valid = false;
    QString text = cp932.ToUtf16(bytes, &valid);
    return valid ? text : QString::fromLatin1(bytes);
}
