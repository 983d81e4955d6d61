#pragma once

#include <cstddef>
#include <cstdint>

// Whether every picture that a HEIF file derives from others (an identity, grid or overlay item)
// names only image items that exist. libheif 1.15 asserts, and so ends the process, when a derived
// picture names a missing item, so the plug-in checks the item table itself before decoding.
// False also when the file's item boxes cannot be read.
bool DerivedImagesReferToImages(const uint8_t* data, size_t size);
