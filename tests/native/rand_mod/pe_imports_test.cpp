#include "rand_mod/pe_imports.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using kvr::find_import_slots;
using kvr::list_exports;
using kvr::list_imports;
using kvr::map_image_file;

namespace {

// Builds a mapped PE32+ image in memory: headers, then import descriptors at 0x1000, then each
// DLL's lookup table, address table and hint/name entries.
class PeImage {
  public:
    struct Import {
        std::string name; // empty: import by ordinal
        uint16_t ordinal = 0;
    };

    static constexpr uint32_t kPe = 0x80;
    static constexpr uint32_t kDescriptors = 0x1000;

    PeImage() : bytes_(0x4000, 0) {
        put16(0, 0x5A4D);
        put32(0x3C, kPe);
        put32(kPe, 0x00004550);
        put16(kPe + 0x18, 0x20B);
        put32(kPe + 0x50, static_cast<uint32_t>(bytes_.size()));
        put32(kPe + 0x84, 16);
        put32(kPe + 0x90, kDescriptors);
    }

    // Returns the RVA of the DLL's import address table.
    uint32_t add_dll(const std::string& dll, const std::vector<Import>& imports,
                     bool with_lookup_table = true) {
        const uint32_t table_size = static_cast<uint32_t>(imports.size() + 1) * 8;
        const uint32_t lookup = cursor_;
        const uint32_t address_table = lookup + table_size;
        cursor_ = address_table + table_size;
        for (std::size_t i = 0; i < imports.size(); ++i) {
            uint64_t entry = 0;
            if (imports[i].name.empty()) {
                entry = (1ull << 63) | imports[i].ordinal;
            } else {
                entry = cursor_;
                put_bytes(cursor_ + 2, imports[i].name + '\0');
                cursor_ += 2 + static_cast<uint32_t>(imports[i].name.size()) + 1;
            }
            put64(lookup + i * 8, entry);
            put64(address_table + i * 8, entry); // bound to the same value until loaded
        }
        const uint32_t name = cursor_;
        put_bytes(name, dll + '\0');
        cursor_ += static_cast<uint32_t>(dll.size()) + 1;
        cursor_ = (cursor_ + 7) & ~7u;

        const uint32_t descriptor = kDescriptors + 20 * dll_count_++;
        put32(descriptor, with_lookup_table ? lookup : 0);
        put32(descriptor + 12, name);
        put32(descriptor + 16, address_table);
        return address_table;
    }

    // An export directory naming `names`, after everything added so far.
    void add_exports(const std::vector<std::string>& names) {
        const uint32_t directory = cursor_;
        const uint32_t table = directory + 0x28;
        cursor_ = table + static_cast<uint32_t>(names.size()) * 4;
        for (std::size_t i = 0; i < names.size(); ++i) {
            put32(table + static_cast<uint32_t>(i) * 4, cursor_);
            put_bytes(cursor_, names[i] + '\0');
            cursor_ += static_cast<uint32_t>(names[i].size()) + 1;
        }
        put32(directory + 0x18, static_cast<uint32_t>(names.size()));
        put32(directory + 0x20, table);
        put32(kPe + 0x88, directory);
    }

    std::vector<uint32_t> rand_slots() const {
        return find_import_slots(bytes_.data(), bytes_.size(), "rand");
    }

    void put16(uint32_t at, uint16_t v) { std::memcpy(&bytes_[at], &v, 2); }
    void put32(uint32_t at, uint32_t v) { std::memcpy(&bytes_[at], &v, 4); }
    void put64(uint32_t at, uint64_t v) { std::memcpy(&bytes_[at], &v, 8); }
    void put_bytes(uint32_t at, const std::string& s) {
        std::memcpy(&bytes_[at], s.data(), s.size());
    }
    std::vector<uint8_t>& bytes() { return bytes_; }

    // The image as a DLL file holds it: headers in the first `headers` bytes, then one section
    // with everything from 0x1000 on, stored at file offset `headers` (not at its RVA).
    std::vector<uint8_t> as_file(uint32_t headers) {
        const uint32_t section = static_cast<uint32_t>(bytes_.size()) - 0x1000;
        put16(kPe + 0x06, 1);    // one section
        put16(kPe + 0x14, 0xF0); // optional header size of PE32+ with 16 directories
        put32(kPe + 0x54, headers);
        const uint32_t table = kPe + 0x18 + 0xF0;
        put32(table + 8, section);  // virtual size
        put32(table + 12, 0x1000);  // RVA
        put32(table + 16, section); // raw size
        put32(table + 20, headers); // file offset
        std::vector<uint8_t> file(headers + section);
        std::memcpy(file.data(), bytes_.data(), headers);
        std::memcpy(file.data() + headers, bytes_.data() + 0x1000, section);
        return file;
    }

  private:
    std::vector<uint8_t> bytes_;
    uint32_t cursor_ = 0x1200;
    uint32_t dll_count_ = 0;
};

} // namespace

TEST(ImportSearch, RandFromTwoDllsGivesBothSlotsInTableOrder) {
    PeImage image;
    const uint32_t kernel = image.add_dll("KERNEL32.dll", {{"GetModuleHandleW"}});
    const uint32_t msvcrt = image.add_dll("msvcrt.dll", {{"malloc"}, {"rand"}, {"srand"}});
    const uint32_t ucrt = image.add_dll("ucrtbase.dll", {{"rand"}});
    EXPECT_EQ(image.rand_slots(), (std::vector<uint32_t>{msvcrt + 8, ucrt}));
    EXPECT_NE(kernel, 0u);
    EXPECT_EQ(kvr::mapped_image_size(image.bytes().data()), image.bytes().size());
}

TEST(ImportSearch, OnlyTheExactNameMatchesAndOrdinalsAreSkipped) {
    PeImage image;
    const uint32_t table = image.add_dll(
        "msvcrt.dll", {{"rand_s"}, {"srand"}, {"Rand"}, {"ran"}, {"", 0x1234}, {"", 7}, {"rand"}});
    EXPECT_EQ(image.rand_slots(), (std::vector<uint32_t>{table + 6 * 8}));

    PeImage no_rand;
    no_rand.add_dll("msvcrt.dll", {{"rand_s"}, {"srand"}, {"", 1}});
    EXPECT_TRUE(no_rand.rand_slots().empty());
}

TEST(ImportSearch, NamesComeFromTheAddressTableWhenThereIsNoLookupTable) {
    PeImage image;
    const uint32_t table = image.add_dll("msvcrt.dll", {{"srand"}, {"rand"}}, false);
    EXPECT_EQ(image.rand_slots(), (std::vector<uint32_t>{table + 8}));
}

TEST(ImportSearch, MissingSignaturesOrDirectoryFindNothing) {
    auto without = [](auto damage) {
        PeImage image;
        image.add_dll("msvcrt.dll", {{"rand"}});
        EXPECT_EQ(image.rand_slots().size(), 1u);
        damage(image);
        return image.rand_slots().empty();
    };
    EXPECT_TRUE(without([](PeImage& i) { i.put16(0, 0x4D5A); }));                // DOS signature
    EXPECT_TRUE(without([](PeImage& i) { i.put32(PeImage::kPe, 0x00004551); })); // "QE"
    EXPECT_TRUE(without([](PeImage& i) { i.put32(PeImage::kPe, 0x00014550); }));
    EXPECT_TRUE(without([](PeImage& i) { i.put16(PeImage::kPe + 0x18, 0x10B); })); // 32-bit
    EXPECT_TRUE(without([](PeImage& i) { i.put32(PeImage::kPe + 0x90, 0); }));     // no imports
    EXPECT_TRUE(without([](PeImage& i) { i.put32(PeImage::kPe + 0x84, 1); }));     // no entry 1
    EXPECT_TRUE(without([](PeImage& i) { i.put32(0x3C, 0xFFFFFFF0); }));           // far header

    PeImage bad;
    bad.put16(0, 0);
    EXPECT_EQ(kvr::mapped_image_size(bad.bytes().data()), 0u);
}

TEST(ImportSearch, DamagedTablesStayInsideTheImage) {
    PeImage image;
    const uint32_t table = image.add_dll("msvcrt.dll", {{"rand"}, {"srand"}});
    const uint32_t size = static_cast<uint32_t>(image.bytes().size());

    // A name RVA pointing past the end, and a name that runs into the end unterminated.
    image.put64(PeImage::kDescriptors, 0); // force names from the address table below
    image.put64(table, size + 100);
    image.put64(table + 8, size - 6);
    image.put_bytes(size - 4, "rand");
    EXPECT_TRUE(image.rand_slots().empty());

    // An import directory beyond the image, and descriptors that never end.
    PeImage far;
    far.put32(PeImage::kPe + 0x90, size - 8);
    EXPECT_TRUE(far.rand_slots().empty());
    PeImage endless;
    for (uint32_t d = PeImage::kDescriptors; d + 20 <= size; d += 20)
        endless.put32(d + 12, 0x40);
    EXPECT_TRUE(endless.rand_slots().empty());
}

// How the package check reads a DLL file: mapped first, since a file keeps its sections at
// offsets other than their RVAs.
TEST(ImportSearch, AFileMappedAsTheLoaderMapsItListsItsImports) {
    PeImage pe;
    pe.add_dll("UE4SS.dll", {{"_ZN2RC14CppUserModBaseC2Ev"}, {"", 7}});
    pe.add_dll("KERNEL32.dll", {{"VirtualProtect"}});
    const std::vector<uint8_t> file = pe.as_file(0x400);

    const std::vector<uint8_t> image = map_image_file(file);
    ASSERT_EQ(image, pe.bytes());
    const std::vector<kvr::NamedImport> imports = list_imports(image.data(), image.size());
    ASSERT_EQ(imports.size(), 2u);
    EXPECT_EQ(imports[0].dll, "UE4SS.dll");
    EXPECT_EQ(imports[0].name, "_ZN2RC14CppUserModBaseC2Ev");
    EXPECT_EQ(imports[1].dll, "KERNEL32.dll");
    EXPECT_EQ(imports[1].name, "VirtualProtect");

    // A section that runs past the end of the file, or an image beyond the bound, is no image.
    EXPECT_TRUE(map_image_file({file.begin(), file.end() - 1}).empty());
    EXPECT_TRUE(map_image_file(file, pe.bytes().size() - 1).empty());
}

// The package checks main.dll's imports against what the shipped UE4SS.dll exports; a damaged
// export directory lists only what lies inside the image.
TEST(ExportList, NamesInDirectoryOrderAndNothingOutsideTheImage) {
    PeImage pe;
    EXPECT_TRUE(list_exports(pe.bytes().data(), pe.bytes().size()).empty());
    pe.add_exports({"??0CppUserModBase@RC@@QEAA@XZ", "start_mod"});
    EXPECT_EQ(list_exports(pe.bytes().data(), pe.bytes().size()),
              (std::vector<std::string>{"??0CppUserModBase@RC@@QEAA@XZ", "start_mod"}));

    const uint32_t directory = 0x1200;
    pe.put32(directory + 0x18, 0xFFFFFFFF); // a count far past the table's end
    EXPECT_LE(list_exports(pe.bytes().data(), pe.bytes().size()).size(), pe.bytes().size() / 4);
    pe.put32(directory + 0x20, 0xFFFFFFF0); // the table itself outside the image
    EXPECT_TRUE(list_exports(pe.bytes().data(), pe.bytes().size()).empty());
}

// The package refuses a file the game cannot load as its DLL: the headers must say x64 and DLL.
TEST(DllKind, OnlyAnX64DllIsOne) {
    PeImage pe;
    EXPECT_FALSE(kvr::is_x64_dll(pe.bytes().data(), pe.bytes().size())); // no machine, no flag
    pe.put16(PeImage::kPe + 0x04, 0x8664);
    pe.put16(PeImage::kPe + 0x16, 0x0022); // an executable
    EXPECT_FALSE(kvr::is_x64_dll(pe.bytes().data(), pe.bytes().size()));
    pe.put16(PeImage::kPe + 0x16, 0x2022);
    EXPECT_TRUE(kvr::is_x64_dll(pe.bytes().data(), pe.bytes().size()));
    pe.put16(PeImage::kPe + 0x04, 0xAA64); // ARM64
    EXPECT_FALSE(kvr::is_x64_dll(pe.bytes().data(), pe.bytes().size()));
}
