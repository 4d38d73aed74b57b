// The import search over arbitrary bytes, as a mapped image and as a DLL file: a damaged or
// hostile header finds nothing, and never makes the reader read outside its bytes.
#include "rand_mod/pe_imports.h"

#include "fuzz_check.h"

#include <algorithm>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so ASan sees any read past the image's end.
    const std::vector<uint8_t> image(data, data + size);
    for (const char* name : {"rand", ""}) {
        const std::vector<uint32_t> slots = kvr::find_import_slots(image.data(), size, name);
        for (const uint32_t slot : slots)
            FUZZ_CHECK(uint64_t{slot} + 8 <= size);
    }

    (void)kvr::list_imports(image.data(), size);

    // The same bytes as a DLL file the package check reads: mapped, then listed.
    const std::vector<uint8_t> mapped = kvr::map_image_file(image, std::size_t{1} << 20);
    FUZZ_CHECK(mapped.size() <= std::size_t{1} << 20);
    for (const kvr::NamedImport& import : kvr::list_imports(mapped.data(), mapped.size()))
        FUZZ_CHECK(import.dll.size() < 1024 && import.name.size() < 1024);

    // The header page is always mapped when the loader hands over an image.
    std::vector<uint8_t> page(0x1000, 0);
    std::memcpy(page.data(), data, std::min(size, page.size()));
    (void)kvr::mapped_image_size(page.data());
    return 0;
}
