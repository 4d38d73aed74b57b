#include "rand_mod/pe_imports.h"

#include <cstring>
#include <optional>

namespace kvr {

namespace {

constexpr uint16_t kDosSignature = 0x5A4D;    // "MZ"
constexpr uint32_t kPeSignature = 0x00004550; // "PE\0\0"
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr std::size_t kOptionalHeader = 0x18;  // from the PE signature
constexpr std::size_t kSizeOfImage = 0x50;     // from the PE signature
constexpr std::size_t kDirectoryCount = 0x84;  // from the PE signature
constexpr std::size_t kImportDirectory = 0x90; // data directory entry 1, from the PE signature
constexpr std::size_t kDescriptorSize = 20;
constexpr uint64_t kOrdinalFlag = 1ull << 63;
// The header page is always mapped; a PE header beyond it is not one we trust.
constexpr std::size_t kHeaderPage = 0x1000;

// Bounds-checked little-endian reads (x64 Windows and every host we build on are little-endian).
class ImageReader {
  public:
    ImageReader(const uint8_t* image, std::size_t size) : image_(image), size_(size) {}

    template <typename T> std::optional<T> read(uint64_t offset) const {
        if (offset > size_ || size_ - offset < sizeof(T)) return std::nullopt;
        T value;
        std::memcpy(&value, image_ + offset, sizeof(T));
        return value;
    }

    // True when the zero-terminated name at `offset` is exactly `name`.
    bool name_equals(uint64_t offset, std::string_view name) const {
        if (offset > size_ || size_ - offset < name.size() + 1) return false;
        return std::memcmp(image_ + offset, name.data(), name.size()) == 0 &&
               image_[offset + name.size()] == 0;
    }

  private:
    const uint8_t* image_;
    std::size_t size_;
};

// Offset of the PE signature when both signatures and the PE32+ magic are present.
std::optional<uint32_t> pe_header(const ImageReader& image) {
    if (image.read<uint16_t>(0) != kDosSignature) return std::nullopt;
    const auto pe = image.read<uint32_t>(0x3C);
    if (!pe || image.read<uint32_t>(*pe) != kPeSignature) return std::nullopt;
    if (image.read<uint16_t>(uint64_t{*pe} + kOptionalHeader) != kPe32PlusMagic) {
        return std::nullopt;
    }
    return pe;
}

void search_descriptor(const ImageReader& image, uint32_t lookup, uint32_t address_table,
                       std::string_view name, std::vector<uint32_t>& slots) {
    const uint32_t names = lookup != 0 ? lookup : address_table;
    for (uint64_t i = 0;; ++i) {
        const auto entry = image.read<uint64_t>(names + i * 8);
        if (!entry || *entry == 0) return;
        if (*entry & kOrdinalFlag) continue;
        // The name follows a two-byte hint; an RVA has 31 bits, the rest must be zero.
        if (*entry >> 31) continue;
        if (image.name_equals(*entry + 2, name)) {
            const uint64_t slot = address_table + i * 8;
            if (address_table != 0 && image.read<uint64_t>(slot)) {
                slots.push_back(static_cast<uint32_t>(slot));
            }
        }
    }
}

} // namespace

std::vector<uint32_t> find_import_slots(const uint8_t* image_bytes, std::size_t image_size,
                                        std::string_view name) {
    std::vector<uint32_t> slots;
    const ImageReader image(image_bytes, image_size);
    const auto pe = pe_header(image);
    if (!pe) return slots;
    const auto directories = image.read<uint32_t>(uint64_t{*pe} + kDirectoryCount);
    if (!directories || *directories < 2) return slots;
    const auto imports = image.read<uint32_t>(uint64_t{*pe} + kImportDirectory);
    if (!imports || *imports == 0) return slots;

    for (uint64_t d = *imports;; d += kDescriptorSize) {
        const auto lookup = image.read<uint32_t>(d);
        const auto dll_name = image.read<uint32_t>(d + 12);
        const auto address_table = image.read<uint32_t>(d + 16);
        if (!lookup || !dll_name || !address_table || *dll_name == 0) break;
        search_descriptor(image, *lookup, *address_table, name, slots);
    }
    return slots;
}

std::size_t mapped_image_size(const uint8_t* image_bytes) {
    const ImageReader headers(image_bytes, kHeaderPage);
    const auto pe = pe_header(headers);
    if (!pe) return 0;
    return headers.read<uint32_t>(uint64_t{*pe} + kSizeOfImage).value_or(0);
}

} // namespace kvr
