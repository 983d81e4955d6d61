#include "settings/reg_file.h"

#include "settings/store.h"

#include <QCoreApplication>
#include <QStringDecoder>
#include <QStringList>

namespace {

const QString kHeader = QStringLiteral("Windows Registry Editor Version 5.00");
// Long hex values wrap before this column, as the registry editor wraps them.
constexpr qsizetype kWrapColumn = 77;

// ---- Export ----

QString Escaped(const QString& text) {
    QString escaped = text;
    escaped.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    return escaped;
}

// A .reg line cannot hold a line break, and a key name cannot contain the closing bracket's line.
void RequireSingleLine(const QString& name) {
    if (name.contains(u'\n') || name.contains(u'\r'))
        throw AppError(
            QCoreApplication::translate(
                "Settings",
                "The name \"%1\" holds a line break and cannot be written to a .reg file")
                .arg(name));
}

QByteArray Utf16LE(const QByteArray& utf8) {
    const QString text = QString::fromUtf8(utf8);
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (const QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xff));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

// Text that fits between quotes and reads back the same: valid UTF-8, one NUL at the end, no
// line break.
bool IsQuotableText(const QByteArray& data) {
    if (!data.endsWith('\0') || data.indexOf('\0') != data.size() - 1)
        return false;
    const QByteArray body = data.left(data.size() - 1);
    if (body.contains('\n') || body.contains('\r'))
        return false;
    QStringDecoder decoder(QStringDecoder::Utf8);
    decoder.decode(body);
    return !decoder.hasError();
}

QString HexValue(const QString& prefix, const QByteArray& data) {
    QString line = prefix;
    QString out;
    for (qsizetype i = 0; i < data.size(); ++i) {
        const QString byte = QString::asprintf("%02x", static_cast<quint8>(data[i]));
        const bool last = i + 1 == data.size();
        if (line.size() + byte.size() + 1 > kWrapColumn) {
            out += line + QStringLiteral("\\\n");
            line = QStringLiteral("  ");
        }
        line += byte;
        if (!last)
            line += u',';
    }
    return out + line;
}

QString ValueLine(const StoredValue& value) {
    RequireSingleLine(value.name);
    const QString name =
        value.name.isEmpty() ? QStringLiteral("@") : u'"' + Escaped(value.name) + u'"';
    switch (value.kind) {
    case ValueKind::Sz:
        if (IsQuotableText(value.data))
            return name + QStringLiteral("=\"") + Escaped(TextFromStored(value.data)) + u'"';
        return HexValue(name + QStringLiteral("=hex(1):"), Utf16LE(value.data));
    case ValueKind::ExpandSz:
    case ValueKind::MultiSz:
        return HexValue(
            name + QStringLiteral("=hex(%1):").arg(static_cast<quint32>(value.kind), 0, 16),
            Utf16LE(value.data));
    case ValueKind::Dword:
        if (value.data.size() == 4) {
            const quint32 number = static_cast<quint8>(value.data[0]) |
                                   static_cast<quint8>(value.data[1]) << 8 |
                                   static_cast<quint8>(value.data[2]) << 16 |
                                   static_cast<quint32>(static_cast<quint8>(value.data[3])) << 24;
            return name + QString::asprintf("=dword:%08x", number);
        }
        break;
    case ValueKind::Binary:
        return HexValue(name + QStringLiteral("=hex:"), value.data);
    default:
        break;
    }
    return HexValue(name + QStringLiteral("=hex(%1):").arg(static_cast<quint32>(value.kind), 0, 16),
                    value.data);
}

void ExportKey(SettingsStore& store, qint64 key, const QString& section, bool emptyShown,
               QString& out) {
    const QList<StoredValue> values = store.Values(key);
    if (emptyShown || !values.isEmpty()) {
        out += u'[' + section + QStringLiteral("]\n");
        for (const StoredValue& value : values)
            out += ValueLine(value) + u'\n';
        out += u'\n';
    }
    for (const StoredKey& subKey : store.SubKeys(key)) {
        RequireSingleLine(subKey.name);
        ExportKey(store, subKey.id, section + u'\\' + subKey.name, true, out);
    }
}

// ---- Import ----

struct RegChange {
    enum class Type { CreateKey, DeleteKey, SetValue, DeleteValue } type;
    int line;
    RootKey root;
    QString keyPath;
    QString valueName;
    ValueKind kind = ValueKind::None;
    QByteArray data;
};

class RegParser {
    Q_DECLARE_TR_FUNCTIONS(RegParser)

public:
    explicit RegParser(QStringList lines) : lines_(std::move(lines)) {}

    QList<RegChange> Parse() {
        if (lines_.isEmpty() || lines_[0].trimmed() != kHeader)
            Fail(1, tr("the file does not start with \"%1\"").arg(kHeader));
        for (index_ = 1; index_ < lines_.size(); ++index_) {
            const QString line = lines_[index_].trimmed();
            if (line.isEmpty() || line.startsWith(u';'))
                continue;
            if (line.startsWith(u'['))
                ParseSection(line);
            else
                ParseValue(line);
        }
        return changes_;
    }

    [[noreturn]] static void Fail(int line, const QString& reason) {
        throw AppError(tr("line %1: %2").arg(line).arg(reason));
    }

private:
    int LineNumber() const { return static_cast<int>(index_) + 1; }
    [[noreturn]] void Fail(const QString& reason) const { Fail(LineNumber(), reason); }

    void ParseSection(const QString& line) {
        const qsizetype close = line.lastIndexOf(u']');
        if (close < 0 || close != line.size() - 1)
            Fail(tr("a key line must end with \"]\""));
        QString path = line.mid(1, close - 1);
        const bool erase = path.startsWith(u'-');
        if (erase)
            path.remove(0, 1);
        const qsizetype split = path.indexOf(u'\\');
        const QString rootName = split < 0 ? path : path.left(split);
        const auto root = RootKeyFromName(rootName);
        if (!root)
            Fail(tr("unknown root key \"%1\"").arg(rootName));
        const QString keyPath = split < 0 ? QString() : path.mid(split + 1);
        if (!keyPath.isEmpty() && keyPath.split(u'\\').contains(QString()))
            Fail(tr("the key path \"%1\" has an empty component").arg(path));
        if (erase && keyPath.isEmpty())
            Fail(tr("the root key %1 cannot be deleted").arg(rootName));
        section_ = RegChange{erase ? RegChange::Type::DeleteKey : RegChange::Type::CreateKey,
                             LineNumber(),
                             *root,
                             keyPath,
                             {},
                             ValueKind::None,
                             {}};
        changes_.append(*section_);
    }

    // The text of a quoted string starting at `from` (on the quote); `end` is set past the
    // closing quote.
    QString Quoted(const QString& line, qsizetype from, qsizetype& end) const {
        QString text;
        for (qsizetype i = from + 1; i < line.size(); ++i) {
            const QChar c = line[i];
            if (c == u'"') {
                end = i + 1;
                return text;
            }
            if (c == u'\\') {
                if (i + 1 >= line.size() || (line[i + 1] != u'\\' && line[i + 1] != u'"'))
                    Fail(tr("only \\\\ and \\\" may follow a backslash in quotes"));
                text.append(line[++i]);
                continue;
            }
            text.append(c);
        }
        Fail(tr("a quoted text has no closing quote"));
    }

    void ParseValue(const QString& line) {
        if (!section_ || section_->type != RegChange::Type::CreateKey)
            Fail(tr("a value must follow a key line"));
        QString name;
        qsizetype pos = 0;
        if (line.startsWith(u'@'))
            pos = 1;
        else if (line.startsWith(u'"'))
            name = Quoted(line, 0, pos);
        else
            Fail(tr("a value line must start with a quoted name or @"));
        while (pos < line.size() && line[pos].isSpace())
            ++pos;
        if (pos >= line.size() || line[pos] != u'=')
            Fail(tr("\"=\" must follow the value name"));
        const int firstLine = LineNumber();
        const QString data = line.mid(pos + 1).trimmed();
        RegChange change{
            RegChange::Type::SetValue, firstLine, section_->root, section_->keyPath, name,
            ValueKind::None,           {}};
        if (data == QStringLiteral("-")) {
            change.type = RegChange::Type::DeleteValue;
        } else if (data.startsWith(u'"')) {
            qsizetype end = 0;
            const QString text = Quoted(data, 0, end);
            if (end != data.size())
                Fail(tr("unexpected text after the closing quote"));
            change.kind = ValueKind::Sz;
            change.data = StoredText(text);
        } else if (data.startsWith(QStringLiteral("dword:"), Qt::CaseInsensitive)) {
            change.kind = ValueKind::Dword;
            change.data = DwordData(data.mid(6));
        } else if (data.startsWith(QStringLiteral("hex"), Qt::CaseInsensitive)) {
            ParseHex(data, change);
        } else {
            Fail(tr("unknown kind of value data \"%1\"").arg(data));
        }
        changes_.append(change);
    }

    QByteArray DwordData(const QString& digits) const {
        bool ok = false;
        const quint32 number = digits.toUInt(&ok, 16);
        if (!ok || digits.isEmpty() || digits.size() > 8 || digits.startsWith(u'+') ||
            digits.contains(u' '))
            Fail(tr("dword: must be followed by one to eight hex digits"));
        QByteArray data(4, '\0');
        for (int i = 0; i < 4; ++i)
            data[i] = static_cast<char>((number >> (8 * i)) & 0xff);
        return data;
    }

    void ParseHex(const QString& data, RegChange& change) {
        const qsizetype colon = data.indexOf(u':');
        if (colon < 0)
            Fail(tr("hex data needs a \":\""));
        const QString kindText = data.left(colon).mid(3);
        quint32 kind = static_cast<quint32>(ValueKind::Binary);
        if (!kindText.isEmpty()) {
            bool ok = false;
            if (kindText.size() < 3 || !kindText.startsWith(u'(') || !kindText.endsWith(u')'))
                Fail(tr("hex kind must read hex(N)"));
            kind = kindText.mid(1, kindText.size() - 2).toUInt(&ok, 16);
            if (!ok)
                Fail(tr("hex kind must read hex(N)"));
        }
        QString bytesText = data.mid(colon + 1).trimmed();
        const int firstLine = LineNumber();
        while (bytesText.endsWith(u'\\')) {
            bytesText.chop(1);
            if (++index_ >= lines_.size() || lines_[index_].trimmed().isEmpty())
                Fail(firstLine, tr("the value's continuation line is missing"));
            bytesText += lines_[index_].trimmed();
        }
        QByteArray bytes;
        if (!bytesText.trimmed().isEmpty()) {
            for (const QString& item : bytesText.split(u',')) {
                bool ok = false;
                const QString digits = item.trimmed();
                const uint byte = digits.toUInt(&ok, 16);
                if (!ok || digits.isEmpty() || digits.size() > 2 || digits.startsWith(u'+'))
                    Fail(firstLine, tr("\"%1\" is not a hex byte").arg(item.trimmed()));
                bytes.append(static_cast<char>(byte));
            }
        }
        change.kind = static_cast<ValueKind>(kind);
        const bool isText = change.kind == ValueKind::Sz || change.kind == ValueKind::ExpandSz ||
                            change.kind == ValueKind::MultiSz;
        if (isText) {
            if (bytes.size() % 2 != 0)
                Fail(firstLine, tr("text in hex(%1) must be UTF-16LE, an even number of bytes")
                                    .arg(kind, 0, 16));
            change.data = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()),
                                             bytes.size() / 2)
                              .toUtf8();
        } else {
            change.data = bytes;
        }
    }

    QStringList lines_;
    qsizetype index_ = 0;
    std::optional<RegChange> section_;
    QList<RegChange> changes_;
};

QStringList DecodedLines(const QByteArray& content) {
    QString text;
    if (content.startsWith("\xff\xfe")) {
        text = QString::fromUtf16(reinterpret_cast<const char16_t*>(content.constData() + 2),
                                  (content.size() - 2) / 2);
    } else {
        const QByteArray body = content.startsWith("\xef\xbb\xbf") ? content.mid(3) : content;
        const QList<QByteArray> rawLines = body.split('\n');
        QStringList lines;
        for (qsizetype i = 0; i < rawLines.size(); ++i) {
            QStringDecoder decoder(QStringDecoder::Utf8);
            QString line = decoder(rawLines[i]);
            if (decoder.hasError())
                RegParser::Fail(static_cast<int>(i) + 1,
                                QCoreApplication::translate("Settings", "the text is not UTF-8"));
            if (line.endsWith(u'\r'))
                line.chop(1);
            lines.append(line);
        }
        return lines;
    }
    QStringList lines = text.split(u'\n');
    for (QString& line : lines)
        if (line.endsWith(u'\r'))
            line.chop(1);
    return lines;
}

void Apply(SettingsStore& store, const RegChange& change) {
    switch (change.type) {
    case RegChange::Type::CreateKey:
        store.CreateKey(change.root, change.keyPath);
        break;
    case RegChange::Type::DeleteKey:
        if (const auto key = store.FindKey(change.root, change.keyPath))
            store.EraseKey(*key);
        break;
    case RegChange::Type::SetValue:
        store.WriteValue(store.CreateKey(change.root, change.keyPath), change.valueName,
                         change.kind, change.data);
        break;
    case RegChange::Type::DeleteValue:
        if (const auto key = store.FindKey(change.root, change.keyPath))
            store.DeleteValue(*key, change.valueName);
        break;
    }
}

} // namespace

QByteArray ExportSettings(SettingsStore& store) {
    // Read under the write lock, so that another process cannot change the store half way; the
    // transaction is never committed as nothing is written.
    SettingsTransaction snapshot(store);
    QString out = kHeader + QStringLiteral("\n\n");
    for (const RootKey root : AllRootKeys())
        if (const auto key = store.FindKey(root, QString()))
            ExportKey(store, *key, RootKeyName(root), false, out);
    return out.toUtf8();
}

void ImportSettings(SettingsStore& store, const QByteArray& content) {
    const QList<RegChange> changes = RegParser(DecodedLines(content)).Parse();
    SettingsTransaction transaction(store);
    for (const RegChange& change : changes) {
        try {
            Apply(store, change);
        } catch (const SettingsStoreError& error) {
            RegParser::Fail(change.line, error.message());
        }
    }
    transaction.Commit();
}
