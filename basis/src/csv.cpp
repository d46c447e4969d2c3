// csv.cpp - CSV field splitting for ZR_StringCSVW.
#include "csv.hpp"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace zr::basis {
namespace {

// One pass over the line, used twice: first to count fields and units, then
// to copy them, so the two can never disagree about where a field ends.
template <class Sink>
void Scan(std::u16string_view line, bool unquote, Sink&& sink) noexcept {
    // The line break that ends a line read from a file is not field text.
    while (!line.empty() && (line.back() == u'\n' || line.back() == u'\r')) line.remove_suffix(1);
    std::size_t i = 0;
    for (;;) {
        sink.BeginField();
        if (unquote && i < line.size() && line[i] == u'"') {
            ++i;
            while (i < line.size()) {
                if (line[i] == u'"') {
                    if (i + 1 < line.size() && line[i + 1] == u'"') {
                        sink.Put(u'"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                sink.Put(line[i++]);
            }
        }
        // Unquoted text, or what follows a closing quote up to the comma,
        // is taken as it stands.
        while (i < line.size() && line[i] != u',') sink.Put(line[i++]);
        sink.EndField();
        if (i >= line.size()) return;
        ++i;  // the comma; a comma at the end leaves one more, empty field
    }
}

struct Counter {
    int fields = 0;
    std::size_t units = 0;
    void BeginField() noexcept { ++fields; }
    void Put(char16_t) noexcept { ++units; }
    void EndField() noexcept { ++units; }  // the terminator
};

struct Writer {
    char16_t** strings;
    char16_t* text;
    int field = 0;
    void BeginField() noexcept { strings[field] = text; }
    void Put(char16_t c) noexcept { *text++ = c; }
    void EndField() noexcept {
        *text++ = 0;
        ++field;
    }
};

}  // namespace

bool SplitCsv(std::u16string_view line, bool unquote, Fields& out) noexcept {
    out = {};
    Counter count;
    Scan(line, unquote, count);
    const std::size_t pointers = static_cast<std::size_t>(count.fields) * sizeof(char16_t*);
    void* block = std::malloc(pointers + count.units * sizeof(char16_t));
    if (!block) return false;
    auto** strings = static_cast<char16_t**>(block);
    Writer writer{strings, reinterpret_cast<char16_t*>(static_cast<unsigned char*>(block) + pointers)};
    Scan(line, unquote, writer);
    out.count = count.fields;
    out.strings = strings;
    return true;
}

void FreeFields(Fields& fields) noexcept {
    std::free(fields.strings);
    fields = {};
}

}  // namespace zr::basis
