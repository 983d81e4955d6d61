#include "input/remote_report.h"

QByteArray ReportFromCode(quint32 code) {
    QByteArray bytes(4, '\0');
    for (int i = 3; i >= 0; --i, code >>= 8)
        bytes[i] = static_cast<char>(code & 0xFF);
    return bytes;
}

std::optional<quint32> FetchRemoteReport(const RawInputMessage& message) {
    if (message.dwType != RawInputMessage::kTypeHid || message.dwCount == 0)
        return std::nullopt;
    // A message that claims more bytes than it carries is folded over what it carries.
    const qsizetype size = qMin<qsizetype>(message.dwSizeHid, message.reports.size());
    quint32 code = 0;
    for (qsizetype i = 0; i < size; ++i)
        code = (code << 8) | static_cast<quint8>(message.reports[i]);
    return code;
}
