// Import search over a PE32+ image as the loader mapped it (sections at their RVAs).
//
// Contract: the image needs the DOS signature "MZ", the PE signature at the offset the DOS
// header's field at 0x3C gives, a PE32+ optional header and an import directory; otherwise
// nothing is found. Every import descriptor is searched (the DLL name is not compared). Names
// are read from the lookup table, or from the address table when a descriptor has no lookup
// table; ordinal entries are skipped; only the exact name matches ("rand" is not "srand").
// The result lists the RVAs of the matching import address table slots, in table order. Every
// read is checked against `image_size`, so a damaged header finds nothing instead of reading
// outside the image.
//
// The same reader lists every import and every export by name (for checking a DLL, and the DLL
// it imports from, before they are shipped), and lays a PE32+ file out as the loader would map
// it, so the reader works on files too.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kvr {

std::vector<uint32_t> find_import_slots(const uint8_t* image, std::size_t image_size,
                                        std::string_view name);

struct NamedImport {
    std::string dll;  // as the import descriptor names it
    std::string name; // the imported function's name
};

// Every import by name, in the order find_import_slots searches them.
std::vector<NamedImport> list_imports(const uint8_t* image, std::size_t image_size);

// Every name the export directory lists, in its order (bounded like the import walk; a damaged
// directory lists nothing beyond what lies inside the image).
std::vector<std::string> list_exports(const uint8_t* image, std::size_t image_size);

// A PE32+ file as the loader maps it: its headers, and each section's raw data at the section's
// RVA, in a zero-filled image of SizeOfImage bytes. Empty when the file is no PE32+ file, a
// section lies outside the file or the image, or the image would exceed `max_image_size`.
std::vector<uint8_t> map_image_file(const std::vector<uint8_t>& file,
                                    std::size_t max_image_size = std::size_t{256} << 20);

// True when the headers describe a DLL for x64 (an executable, or a PE32+ file of another
// machine, is no DLL the 64-bit game can load).
bool is_x64_dll(const uint8_t* image, std::size_t image_size);

// SizeOfImage from the headers of a mapped image whose header page is readable, or 0 when the
// signatures are missing.
std::size_t mapped_image_size(const uint8_t* image);

} // namespace kvr
