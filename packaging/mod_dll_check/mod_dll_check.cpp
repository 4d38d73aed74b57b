// Decides whether a main.dll may go into the player package: the game's mod loader must be able
// to load it. The loader exports its C++ API under MSVC's decorated names; a MinGW build of the
// mod imports the same API under GCC's names ("_ZN2RC14CppUserModBaseC2Ev", ...), fails to load
// in the game and leaves the race unfixed without a word to the player. So does a main.dll built
// against another loader build: its imports are not all among the shipped UE4SS.dll's exports.
// And so does any of the loader's DLLs from a Debug build: players have no debug C runtime.
//
//   kvr_mod_dll_check <main.dll> [<UE4SS.dll> [<dwmapi.dll>]]
//
// Exit 0 when every file given is a 64-bit DLL that imports no debug C runtime, main.dll imports
// the loader's API, none of it under GCC's names, and (with the loader's DLL) every name it
// imports from UE4SS.dll is one that DLL exports; 1 with the reason on stderr when not; 2 when a
// file cannot be read. The reason starts with the path of the file at fault, after "test build: "
// for a MinGW main.dll.
#include "rand_mod/pe_imports.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iostream>
#include <iterator>
#include <regex>
#include <set>
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

// The Debug builds of MSVC's runtime (VCRUNTIME140D.dll, VCRUNTIME140_1D.dll, MSVCP140D.dll,
// MSVCP140D_ATOMIC_WAIT.dll, ucrtbased.dll, ...) come only with Visual Studio.
bool debug_runtime(const std::string& dll) {
    static const std::regex debug(
        "(vcruntime|msvcp|msvcr|concrt|vccorlib|vcomp)[0-9]+(_[0-9]+)?d[._].*|ucrtbased\\.dll",
        std::regex::icase);
    return std::regex_match(dll, debug);
}

// The file mapped as the loader maps it, when it is a 64-bit DLL that needs no debug runtime;
// otherwise empty, with the reason on stderr.
std::vector<uint8_t> read_dll(const std::string& path, int* failure) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << path << ": cannot be read\n";
        *failure = 2;
        return {};
    }
    const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    std::vector<uint8_t> image = kvr::map_image_file(file);
    *failure = 1;
    if (image.empty() || !kvr::is_x64_dll(image.data(), image.size())) {
        std::cerr << path << " is not a 64-bit Windows DLL (" << file.size() << " bytes)\n";
        return {};
    }
    for (const kvr::NamedImport& import : kvr::list_imports(image.data(), image.size())) {
        if (debug_runtime(import.dll)) {
            std::cerr << path << " imports the debug C runtime (" << import.dll
                      << "): a Debug build, which players' PCs cannot load: build the shipping "
                         "configuration\n";
            return {};
        }
    }
    *failure = 0;
    return image;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 4) {
        std::cerr << "usage: kvr_mod_dll_check <main.dll> [<UE4SS.dll> [<dwmapi.dll>]]\n";
        return 2;
    }
    const std::string path = argv[1];
    int failure = 0;
    const std::vector<uint8_t> image = read_dll(path, &failure);
    if (image.empty()) return failure;

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
        std::cerr << "test build: " << path << " imports GCC-mangled names from " << kLoaderDll
                  << " (" << some_of(gcc_names)
                  << "): it is a MinGW test build, which the game's mod loader cannot load\n";
        return 1;
    }
    if (argc >= 3) {
        const std::string loader = argv[2];
        const std::vector<uint8_t> loader_image = read_dll(loader, &failure);
        if (loader_image.empty()) return failure;
        const std::vector<std::string> exports =
            kvr::list_exports(loader_image.data(), loader_image.size());
        const std::set<std::string> exported(exports.begin(), exports.end());
        std::vector<std::string> missing;
        for (const std::string& name : loader_names)
            if (!exported.count(name)) missing.push_back(name);
        if (!missing.empty()) {
            std::cerr << path << " imports " << missing.size() << " of its " << loader_names.size()
                      << " names from " << kLoaderDll << " that " << loader << " does not export ("
                      << some_of(missing) << "): it was built against another loader build\n";
            return 1;
        }
    }
    // The loader's proxy, which the game loads from its own folder and which loads UE4SS.dll.
    if (argc == 4 && read_dll(argv[3], &failure).empty()) return failure;
    std::cout << path << ": production build, " << loader_names.size() << " imports from "
              << kLoaderDll << ", none GCC-mangled"
              << (argc >= 3 ? ", all exported by the shipped loader" : "") << "\n";
    return 0;
}
