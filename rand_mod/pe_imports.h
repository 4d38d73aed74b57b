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
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kvr {

std::vector<uint32_t> find_import_slots(const uint8_t* image, std::size_t image_size,
                                        std::string_view name);

// SizeOfImage from the headers of a mapped image whose header page is readable, or 0 when the
// signatures are missing.
std::size_t mapped_image_size(const uint8_t* image);

} // namespace kvr
