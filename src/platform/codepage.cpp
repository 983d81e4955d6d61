#include "platform/codepage.h"

#include "platform/error.h"

#include <QSysInfo>

#include <cerrno>
#include <iconv.h>
#include <langinfo.h>

namespace {
const char* Utf16Name() {
    return QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE";
}

bool IsUtf8(const QByteArray& codeset) {
    const QByteArray upper = codeset.toUpper();
    return upper == "UTF-8" || upper == "UTF8";
}

// One iconv conversion from the code page to UTF-16, closed on every way out.
class Converter {
public:
    explicit Converter(const QByteArray& codeset)
        : handle_(iconv_open(Utf16Name(), codeset.constData())) {}
    ~Converter() {
        if (IsOpen())
            iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool IsOpen() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t Handle() const { return handle_; }

private:
    iconv_t handle_;
};

// Lead bytes are the bytes that iconv finds to be the incomplete start of a character.
std::bitset<256> FindLeadBytes(const Converter& converter) {
    std::bitset<256> lead;
    for (int byte = 1; byte < 256; ++byte) {
        char input = static_cast<char>(byte);
        char16_t output[4];
        char* in = &input;
        auto* out = reinterpret_cast<char*>(output);
        size_t inLeft = 1;
        size_t outLeft = sizeof output;
        iconv(converter.Handle(), nullptr, nullptr, nullptr, nullptr);
        if (iconv(converter.Handle(), &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1) &&
            errno == EINVAL)
            lead.set(static_cast<size_t>(byte));
    }
    return lead;
}
} // namespace

CodePage::CodePage(const QByteArray& codeset) : name_(codeset) {
    const Converter converter(codeset);
    if (!converter.IsOpen())
        throw AppError(tr("Unknown code page %1").arg(QString::fromLatin1(codeset)));
    if (!IsUtf8(codeset))
        leadBytes_ = FindLeadBytes(converter);
}

QString CodePage::ToUtf16(QByteArrayView text, bool* valid) const {
    if (valid)
        *valid = true;
    const Converter converter(name_);
    QString result;
    // No code page needs more than two UTF-16 units per byte; the loop grows the buffer anyway.
    std::u16string buffer(static_cast<size_t>(text.size()) * 2 + 4, u'\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = static_cast<size_t>(text.size());
    while (inLeft > 0) {
        auto* out = reinterpret_cast<char*>(buffer.data());
        size_t outLeft = buffer.size() * sizeof(char16_t);
        const size_t status = iconv(converter.Handle(), &in, &inLeft, &out, &outLeft);
        const int error = errno;
        result.append(reinterpret_cast<const QChar*>(buffer.data()),
                      reinterpret_cast<char16_t*>(out) - buffer.data());
        if (status != static_cast<size_t>(-1))
            break;
        if (error == E2BIG)
            continue;
        // An invalid byte, or a character cut off at the end: replace one byte and go on.
        result.append(QChar::ReplacementCharacter);
        if (valid)
            *valid = false;
        ++in;
        --inLeft;
        iconv(converter.Handle(), nullptr, nullptr, nullptr, nullptr);
    }
    return result;
}

const CodePage& SystemCodePage() {
    static const CodePage codePage = [] {
        const QByteArray codeset = nl_langinfo(CODESET);
        if (codeset.isEmpty() || codeset == "ANSI_X3.4-1968")
            return CodePage("UTF-8");
        return CodePage(codeset);
    }();
    return codePage;
}
