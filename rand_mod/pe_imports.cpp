#include "rand_mod/pe_imports.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace kvr {

namespace {

constexpr uint16_t kDosSignature = 0x5A4D;    // "MZ"
constexpr uint32_t kPeSignature = 0x00004550; // "PE\0\0"
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr std::size_t kMachine = 0x04;            // from the PE signature
constexpr std::size_t kSectionCount = 0x06;       // from the PE signature
constexpr std::size_t kCharacteristics = 0x16;    // from the PE signature
constexpr std::size_t kOptionalHeaderSize = 0x14; // from the PE signature
constexpr std::size_t kOptionalHeader = 0x18;     // from the PE signature
constexpr std::size_t kSizeOfImage = 0x50;        // from the PE signature
constexpr std::size_t kSizeOfHeaders = 0x54;      // from the PE signature
constexpr std::size_t kDirectoryCount = 0x84;     // from the PE signature
constexpr std::size_t kExportDirectory = 0x88;    // data directory entry 0, from the PE signature
constexpr std::size_t kImportDirectory = 0x90;    // data directory entry 1, from the PE signature
constexpr std::size_t kDescriptorSize = 20;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr uint64_t kOrdinalFlag = 1ull << 63;
constexpr uint16_t kMachineAmd64 = 0x8664;
constexpr uint16_t kFileDll = 0x2000; // IMAGE_FILE_DLL
// The header page is always mapped; a PE header beyond it is not one we trust.
constexpr std::size_t kHeaderPage = 0x1000;
constexpr std::size_t kMaxNameLength = 1024;

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

    // The zero-terminated name at `offset`; empty when it does not end inside the image or
    // within `kMaxNameLength` bytes.
    std::string name_at(uint64_t offset) const {
        if (offset >= size_) return "";
        const std::size_t limit = std::min<std::size_t>(size_ - offset, kMaxNameLength);
        const auto* start = reinterpret_cast<const char*>(image_ + offset);
        const void* end = std::memchr(start, 0, limit);
        return end ? std::string(start, static_cast<const char*>(end)) : "";
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

// Calls `on_entry(dll_name_rva, name_rva, slot_rva)` for every import by name whose address
// table slot lies in the image, in descriptor and table order.
template <typename OnEntry> void walk_imports(const ImageReader& image, OnEntry&& on_entry) {
    const auto pe = pe_header(image);
    if (!pe) return;
    const auto directories = image.read<uint32_t>(uint64_t{*pe} + kDirectoryCount);
    if (!directories || *directories < 2) return;
    const auto imports = image.read<uint32_t>(uint64_t{*pe} + kImportDirectory);
    if (!imports || *imports == 0) return;

    for (uint64_t d = *imports;; d += kDescriptorSize) {
        const auto lookup = image.read<uint32_t>(d);
        const auto dll_name = image.read<uint32_t>(d + 12);
        const auto address_table = image.read<uint32_t>(d + 16);
        if (!lookup || !dll_name || !address_table || *dll_name == 0) break;
        const uint32_t names = *lookup != 0 ? *lookup : *address_table;
        for (uint64_t i = 0;; ++i) {
            const auto entry = image.read<uint64_t>(names + i * 8);
            if (!entry || *entry == 0) break;
            if (*entry & kOrdinalFlag) continue;
            // The name follows a two-byte hint; an RVA has 31 bits, the rest must be zero.
            if (*entry >> 31) continue;
            const uint64_t slot = *address_table + i * 8;
            if (*address_table != 0 && image.read<uint64_t>(slot)) {
                on_entry(*dll_name, *entry + 2, static_cast<uint32_t>(slot));
            }
        }
    }
}

} // namespace

std::vector<uint32_t> find_import_slots(const uint8_t* image_bytes, std::size_t image_size,
                                        std::string_view name) {
    std::vector<uint32_t> slots;
    const ImageReader image(image_bytes, image_size);
    walk_imports(image, [&](uint64_t, uint64_t name_rva, uint32_t slot) {
        if (image.name_equals(name_rva, name)) slots.push_back(slot);
    });
    return slots;
}

std::vector<NamedImport> list_imports(const uint8_t* image_bytes, std::size_t image_size) {
    std::vector<NamedImport> found;
    const ImageReader image(image_bytes, image_size);
    walk_imports(image, [&](uint64_t dll_rva, uint64_t name_rva, uint32_t) {
        found.push_back({image.name_at(dll_rva), image.name_at(name_rva)});
    });
    return found;
}

std::vector<std::string> list_exports(const uint8_t* image_bytes, std::size_t image_size) {
    std::vector<std::string> names;
    const ImageReader image(image_bytes, image_size);
    const auto pe = pe_header(image);
    if (!pe) return names;
    const auto directories = image.read<uint32_t>(uint64_t{*pe} + kDirectoryCount);
    const auto exports = image.read<uint32_t>(uint64_t{*pe} + kExportDirectory);
    if (!directories || *directories < 1 || !exports || *exports == 0) return names;
    const auto count = image.read<uint32_t>(uint64_t{*exports} + 0x18); // NumberOfNames
    const auto table = image.read<uint32_t>(uint64_t{*exports} + 0x20); // AddressOfNames
    if (!count || !table) return names;
    for (uint64_t i = 0; i < *count; ++i) {
        const auto name = image.read<uint32_t>(*table + i * 4);
        if (!name) break; // the table runs out of the image
        names.push_back(image.name_at(*name));
    }
    return names;
}

std::vector<uint8_t> map_image_file(const std::vector<uint8_t>& file, std::size_t max_image_size) {
    const ImageReader headers(file.data(), file.size());
    const auto pe = pe_header(headers);
    if (!pe) return {};
    const uint32_t image_size = headers.read<uint32_t>(uint64_t{*pe} + kSizeOfImage).value_or(0);
    const uint32_t header_size = headers.read<uint32_t>(uint64_t{*pe} + kSizeOfHeaders).value_or(0);
    const auto section_count = headers.read<uint16_t>(uint64_t{*pe} + kSectionCount);
    const auto optional_size = headers.read<uint16_t>(uint64_t{*pe} + kOptionalHeaderSize);
    if (image_size == 0 || image_size > max_image_size || !section_count || !optional_size ||
        header_size > image_size || header_size > file.size()) {
        return {};
    }
    std::vector<uint8_t> image(image_size, 0);
    std::memcpy(image.data(), file.data(), header_size);

    const uint64_t table = uint64_t{*pe} + kOptionalHeader + *optional_size;
    for (uint64_t s = 0; s < *section_count; ++s) {
        const uint64_t at = table + s * kSectionHeaderSize;
        const auto virtual_size = headers.read<uint32_t>(at + 8);
        const auto rva = headers.read<uint32_t>(at + 12);
        const auto raw_size = headers.read<uint32_t>(at + 16);
        const auto raw_offset = headers.read<uint32_t>(at + 20);
        if (!virtual_size || !rva || !raw_size || !raw_offset) return {};
        // Raw data beyond the section's virtual size is file alignment padding, not mapped.
        const uint64_t size = *virtual_size != 0 ? std::min(*raw_size, *virtual_size) : *raw_size;
        if (uint64_t{*raw_offset} + size > file.size() || uint64_t{*rva} + size > image_size) {
            return {};
        }
        if (size != 0) std::memcpy(image.data() + *rva, file.data() + *raw_offset, size);
    }
    return image;
}

bool is_x64_dll(const uint8_t* image_bytes, std::size_t image_size) {
    const ImageReader image(image_bytes, image_size);
    const auto pe = pe_header(image);
    if (!pe) return false;
    const auto characteristics = image.read<uint16_t>(uint64_t{*pe} + kCharacteristics);
    return image.read<uint16_t>(uint64_t{*pe} + kMachine) == kMachineAmd64 && characteristics &&
           (*characteristics & kFileDll) != 0;
}

std::size_t mapped_image_size(const uint8_t* image_bytes) {
    const ImageReader headers(image_bytes, kHeaderPage);
    const auto pe = pe_header(headers);
    if (!pe) return 0;
    return headers.read<uint32_t>(uint64_t{*pe} + kSizeOfImage).value_or(0);
}

} // namespace kvr
