// codetable_common.hpp - a private TEMP directory and table files for the
// code-table targets, and a check that loads leave nothing behind.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "guard.hpp"
#include "weak_exports.hpp"

namespace zr::fuzz {

struct TableDirs {
    std::string temp;   // what TEMP names: only table files land here
    std::string input;  // where the text files are written
};

inline const TableDirs& Dirs() {
    static const TableDirs d = [] {
        TableDirs t;
        char tmpl[] = "/tmp/zr_fuzz_ct.XXXXXX";
        const char* root = mkdtemp(tmpl);
        if (!root) Fail("mkdtemp", "codetable");
        t.temp = std::string(root) + "/temp";
        t.input = std::string(root) + "/input";
        mkdir(t.temp.c_str(), 0700);
        mkdir(t.input.c_str(), 0700);
        setenv("TEMP", t.temp.c_str(), 1);
        return t;
    }();
    return d;
}

inline std::set<std::string> ListDir(const std::string& dir) {
    std::set<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (const dirent* e = readdir(d)) {
            const std::string n = e->d_name;
            if (n != "." && n != "..") names.insert(n);
        }
        closedir(d);
    }
    return names;
}

inline std::string WriteTextFile(const std::string& text) {
    const std::string path = Dirs().input + "/table.txt";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) Fail("cannot write the text file", "codetable");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    return path;
}

inline std::u16string Widen(const std::string& s) { return std::u16string(s.begin(), s.end()); }

inline bool HaveLoader() {
    return reinterpret_cast<const void*>(&ZR_CodeTableInitW) != nullptr &&
           reinterpret_cast<const void*>(&ZR_CodeTableInitA) != nullptr &&
           reinterpret_cast<const void*>(&ZR_CodeTableError) != nullptr &&
           reinterpret_cast<const void*>(&ZR_CodeTableErrorLine) != nullptr &&
           reinterpret_cast<const void*>(&ZR_CodeTableTerm) != nullptr &&
           reinterpret_cast<const void*>(&ZR_CodeTableCode) != nullptr &&
           reinterpret_cast<const void*>(&ZR_CodeTableString) != nullptr;
}

// The one new file a successful load left in TEMP, read whole.
inline std::string NewTableFile(const std::set<std::string>& before) {
    const auto after = ListDir(Dirs().temp);
    std::string found;
    for (const auto& n : after) {
        if (before.count(n)) continue;
        if (!found.empty()) Fail("a load made more than one file", "ZR_CodeTableInitW");
        found = n;
    }
    if (found.empty()) Fail("a loaded table has no file in TEMP", "ZR_CodeTableInitW");
    if (found.rfind("ZR_", 0) != 0) Fail("table file name does not begin with ZR_", "ZR_CodeTableInitW");
    std::string bytes;
    if (FILE* f = std::fopen((Dirs().temp + "/" + found).c_str(), "rb")) {
        char buf[4096];
        std::size_t k;
        while ((k = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, k);
        std::fclose(f);
    }
    return bytes;
}

}  // namespace zr::fuzz
