// corpus.hpp - loads the benchmark corpora and owns terminated copies of them.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace zr::bench {

// The corpus directory: $ZR_CORPUS_DIR, else the one CMake generated.
inline std::string CorpusDir() {
    if (const char* d = std::getenv("ZR_CORPUS_DIR")) return d;
    return ZR_DEFAULT_CORPUS_DIR;
}

// Whole file as bytes; aborts with a message when missing, since a benchmark
// on an empty input would report nonsense figures.
inline std::vector<char> LoadBytes(const std::string& name) {
    const std::string path = CorpusDir() + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        std::fprintf(stderr, "missing corpus file %s (run bench/make-corpus or set ZR_CORPUS_DIR)\n", path.c_str());
        std::exit(2);
    }
    std::vector<char> data;
    char buf[1 << 16];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.insert(data.end(), buf, buf + n);
    std::fclose(f);
    return data;
}

// NUL-terminated byte text.
inline std::vector<char> LoadText(const std::string& name) {
    auto v = LoadBytes(name);
    v.push_back('\0');
    return v;
}

// NUL-terminated UTF-16LE text (the corpora are little-endian, like the host).
inline std::vector<char16_t> LoadUtf16(const std::string& name) {
    const auto bytes = LoadBytes(name);
    std::vector<char16_t> v(bytes.size() / 2 + 1, 0);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        v[i / 2] = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                         (static_cast<unsigned char>(bytes[i + 1]) << 8));
    return v;
}

// Lines without their LF, each NUL-terminated.
inline std::vector<std::string> LoadLines(const std::string& name) {
    const auto bytes = LoadBytes(name);
    std::vector<std::string> lines;
    std::string cur;
    for (char c : bytes) {
        if (c == '\n') {
            if (!cur.empty()) lines.push_back(cur);
            cur.clear();
        } else {
            cur.push_back(c);
        }
    }
    if (!cur.empty()) lines.push_back(cur);
    return lines;
}

}  // namespace zr::bench
