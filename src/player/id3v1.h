#pragma once

#include <QString>

#include <array>

// The fixed 128-byte ID3v1 trailer of a media file.
using Id3v1Buffer = std::array<char, 128>;

// Reads the last 128 bytes of the file into the buffer (whenever the file has that many) and tells
// whether they begin with "TAG". A missing, unreadable or shorter file yields false, never an
// error.
bool ReadId3v1Tag(const QString& path, Id3v1Buffer& buffer);
