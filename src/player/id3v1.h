#pragma once

#include <QByteArray>

#include <array>

// The fixed 128-byte ID3v1 trailer of a media file.
using Id3v1Buffer = std::array<char, 128>;

// Reads the last 128 bytes of the file (named by its path bytes) into the buffer (whenever the file
// has that many) and tells whether they begin with "TAG". A missing, unreadable or shorter file
// yields false, never an error.
bool ReadId3v1Tag(const QByteArray& path, Id3v1Buffer& buffer);
