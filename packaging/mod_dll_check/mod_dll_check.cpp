// Decides whether a main.dll may go into the player package: the game's mod loader must be able
// to load it. The loader exports its C++ API under MSVC's decorated names; a MinGW build of the
// mod imports the same API under GCC's names ("_ZN2RC14CppUserModBaseC2Ev", ...), fails to load
// in the game and leaves the race unfixed without a word to the player.
//
//   kvr_mod_dll_check <main.dll>
//
// Exit 0 when the DLL imports the loader's API and none of it under GCC's names; 1 with the
// reason on stderr when it does not; 2 when the file cannot be read.
#include "rand_mod/pe_imports.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr const char* kLoaderDll = "UE4SS.dll";

bool same_dll(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// GCC's (Itanium) mangling starts every C++ name with "_Z"; MSVC's with '?'.
bool gcc_mangled(const std::string& name) {
    return name.rfind("_Z", 0) == 0;
}

// A few names of the list, then how many there are in all.
std::string some_of(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size() && i < 3; ++i)
        text += (i ? ", " : "") + names[i];
    if (names.size() > 3) text += ", ... (" + std::to_string(names.size()) + " in all)";
    return text;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: kvr_mod_dll_check <main.dll>\n";
        return 2;
    }
    const std::string path = argv[1];
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << path << ": cannot be read\n";
        return 2;
    }
    const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    const std::vector<uint8_t> image = kvr::map_image_file(file);
    if (image.empty()) {
        std::cerr << path << " is not a 64-bit Windows DLL\n";
        return 1;
    }

    std::vector<std::string> loader_names;
    std::vector<std::string> gcc_names;
    for (const kvr::NamedImport& import : kvr::list_imports(image.data(), image.size())) {
        if (!same_dll(import.dll, kLoaderDll)) continue;
        loader_names.push_back(import.name);
        if (gcc_mangled(import.name)) gcc_names.push_back(import.name);
    }
    if (loader_names.empty()) {
        std::cerr << path << " imports nothing from " << kLoaderDll
                  << ": it is not a mod built against the loader\n";
        return 1;
    }
    if (!gcc_names.empty()) {
        std::cerr << path << " imports GCC-mangled names from " << kLoaderDll << " ("
                  << some_of(gcc_names)
                  << "): it is a MinGW test build, which the game's mod loader cannot load\n";
        return 1;
    }
    std::cout << path << ": " << loader_names.size() << " imports from " << kLoaderDll
              << ", none GCC-mangled\n";
    return 0;
}
