#include "heif_items.h"

#include <algorithm>
#include <unordered_map>

namespace {

uint32_t FourCC(const char (&text)[5]) {
    return uint32_t(uint8_t(text[0])) << 24 | uint32_t(uint8_t(text[1])) << 16 |
           uint32_t(uint8_t(text[2])) << 8 | uint8_t(text[3]);
}

// A bounded reader over one box's contents; every read past the end sets failed.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint64_t Read(int bytes) {
        if (size_ - at_ < size_t(bytes)) {
            failed = true;
            at_ = size_;
            return 0;
        }
        uint64_t value = 0;
        for (int i = 0; i < bytes; ++i)
            value = value << 8 | data_[at_++];
        return value;
    }
    bool AtEnd() const { return at_ >= size_; }
    const uint8_t* Here() const { return data_ + at_; }
    size_t Left() const { return size_ - at_; }
    void Skip(size_t bytes) { at_ += std::min(bytes, Left()); }
    bool failed = false;

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

struct Box {
    uint32_t type = 0;
    Reader body{nullptr, 0};
};

// The next box in reader; false at the end. Bytes left over that do not make a box whose size fits
// mark the reader failed: libheif reads some of those leniently, so they are refused here.
bool NextBox(Reader& reader, Box& box) {
    if (reader.AtEnd())
        return false;
    if (reader.Left() < 8) {
        reader.failed = true;
        return false;
    }
    const uint8_t* start = reader.Here();
    const size_t left = reader.Left();
    uint64_t size = reader.Read(4);
    box.type = uint32_t(reader.Read(4));
    size_t header = 8;
    if (size == 1) {
        size = reader.Read(8);
        header = 16;
    } else if (size == 0) {
        size = left;
    }
    if (reader.failed || size < header || size > left) {
        reader.failed = true;
        return false;
    }
    box.body = Reader(start + header, size_t(size - header));
    reader.Skip(size_t(size - header));
    return true;
}

bool IsImageType(uint32_t type) {
    return type == FourCC("hvc1") || type == FourCC("av01") || type == FourCC("grid") ||
           type == FourCC("iden") || type == FourCC("iovl");
}

// The check for one meta box.
bool MetaRefersToImages(Reader meta) {
    Box box;
    meta.Read(4); // version and flags
    std::unordered_map<uint32_t, uint32_t> itemTypes;
    Reader references(nullptr, 0);
    int referenceIdBytes = 2;
    while (NextBox(meta, box)) {
        if (box.type == FourCC("iinf")) {
            Reader& iinf = box.body;
            const uint64_t version = iinf.Read(4) >> 24;
            iinf.Read(version == 0 ? 2 : 4); // entry count; the boxes themselves are what counts
            Box entry;
            while (NextBox(iinf, entry)) {
                if (entry.type != FourCC("infe"))
                    continue;
                Reader& infe = entry.body;
                const uint64_t infeVersion = infe.Read(4) >> 24;
                if (infeVersion < 2)
                    continue; // no item type: never an image libheif decodes
                const uint32_t id = uint32_t(infe.Read(infeVersion == 2 ? 2 : 4));
                infe.Read(2); // protection index
                const uint32_t type = uint32_t(infe.Read(4));
                if (infe.failed)
                    return false;
                itemTypes[id] = type;
            }
            if (iinf.failed)
                return false;
        } else if (box.type == FourCC("iref")) {
            references = box.body;
            referenceIdBytes = (references.Read(4) >> 24) == 0 ? 2 : 4;
        }
    }
    if (meta.failed)
        return false;
    Box reference;
    while (NextBox(references, reference)) {
        if (reference.type != FourCC("dimg"))
            continue;
        Reader& dimg = reference.body;
        dimg.Read(referenceIdBytes); // the derived item
        const uint64_t count = dimg.Read(2);
        for (uint64_t i = 0; i < count && !dimg.failed; ++i) {
            const auto item = itemTypes.find(uint32_t(dimg.Read(referenceIdBytes)));
            if (item == itemTypes.end() || !IsImageType(item->second))
                return false;
        }
        if (dimg.failed)
            return false;
    }
    return !references.failed;
}

} // namespace

bool DerivedImagesReferToImages(const uint8_t* data, size_t size) {
    // Every meta box is checked: which one libheif reads, when a file has more than one, is its
    // own affair.
    Reader file(data, size);
    Box box;
    bool found = false;
    while (NextBox(file, box)) {
        if (box.type != FourCC("meta"))
            continue;
        if (!MetaRefersToImages(box.body))
            return false;
        found = true;
    }
    return found;
}
