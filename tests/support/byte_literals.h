#pragma once

#include <QByteArray>

#include <initializer_list>

// A byte string written as a list of byte values, e.g. Bytes({0x82, 0xA0}).
inline QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray bytes;
    for (int v : values)
        bytes.append(char(v));
    return bytes;
}
