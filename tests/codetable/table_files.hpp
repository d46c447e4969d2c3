// table_files.hpp - a private TEMP directory and code-table files for the tests.
#pragma once

#include <gtest/gtest.h>

#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "zr_moji.h"

namespace zr_test {

inline std::u16string Widen(const std::string& s) { return std::u16string(s.begin(), s.end()); }

inline std::vector<std::string> ListDir(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            const std::string n = e->d_name;
            if (n != "." && n != "..") names.push_back(n);
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

inline void RemoveTree(const std::string& dir) {
    for (const auto& n : ListDir(dir)) unlink((dir + "/" + n).c_str());
    rmdir(dir.c_str());
}

inline std::string ReadBytes(const std::string& path) {
    std::string s;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
        std::fclose(f);
    }
    return s;
}

// Each test gets its own TEMP directory, so that it can see every file a
// load leaves there, and a separate directory for its table files.
class TableFiles : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* t = getenv("TEMP")) oldTemp_ = std::string(t);
        char a[] = "/tmp/zr_ct_temp.XXXXXX";
        char b[] = "/tmp/zr_ct_data.XXXXXX";
        ASSERT_NE(mkdtemp(a), nullptr);
        ASSERT_NE(mkdtemp(b), nullptr);
        temp_ = a;
        data_ = b;
        setenv("TEMP", temp_.c_str(), 1);
    }
    void TearDown() override {
        if (oldTemp_) {
            setenv("TEMP", oldTemp_->c_str(), 1);
        } else {
            unsetenv("TEMP");
        }
        RemoveTree(temp_);
        RemoveTree(data_);
    }
    std::string MakePath(const std::string& content) {
        const std::string path = data_ + "/table" + std::to_string(++n_) + ".csv";
        FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(content.data(), 1, content.size(), f);
        std::fclose(f);
        return path;
    }
    std::u16string Make(const std::string& content) { return Widen(MakePath(content)); }
    CodeTable* Load(const std::string& content, int32_t direction = 0, int32_t sort = 0, int32_t option = 1) {
        return ZR_CodeTableInitW(Make(content).c_str(), direction, option, sort);
    }
    std::vector<std::string> TempFiles() const { return ListDir(temp_); }
    // The one table file in TEMP, as stored.
    std::string TableFileBytes() const {
        const auto names = TempFiles();
        return names.size() == 1 ? ReadBytes(temp_ + "/" + names[0]) : std::string();
    }

    std::string temp_, data_;
    std::optional<std::string> oldTemp_;
    int n_ = 0;
};

// Records of a table file: count, then key/value pairs.
inline std::vector<std::pair<int32_t, int32_t>> Records(const std::string& bytes) {
    std::vector<std::pair<int32_t, int32_t>> out;
    if (bytes.size() < 4) return out;
    int32_t n;
    std::memcpy(&n, bytes.data(), 4);
    for (int32_t i = 0; i < n && 4 + 8 * static_cast<size_t>(i) + 8 <= bytes.size(); ++i) {
        int32_t kv[2];
        std::memcpy(kv, bytes.data() + 4 + 8 * i, 8);
        out.emplace_back(kv[0], kv[1]);
    }
    return out;
}

}  // namespace zr_test
