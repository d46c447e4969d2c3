// scheme.cpp - tests on the raw text of a URL: known scheme, JIS marker.
#include <cstring>

#include "url/url.hpp"

namespace zr::url {
namespace {

// Nine fixed slots of 32 characters; the empty ninth slot ends the list, so
// a scheme can be added without touching the loop.
constexpr int kSchemeSlots = 9;
constexpr int kSchemeWidth = 32;

constexpr char16_t kSchemesW[kSchemeSlots][kSchemeWidth] = {
    u"http:", u"https:", u"ftp:", u"telnet:", u"mailto:", u"gopher:", u"file:", u"news:", u"",
};
constexpr char kSchemesA[kSchemeSlots][kSchemeWidth] = {
    "http:", "https:", "ftp:", "telnet:", "mailto:", "gopher:", "file:", "news:", "",
};

// ESC $ B with its three bytes escaped in upper case. Only this exact text
// counts: the escaping routines of this library write it so.
constexpr char16_t kJisMarkerW[] = u"%1B%24B";
constexpr char kJisMarkerA[] = "%1B%24B";

// True when `text` begins with `prefix`. A shorter text mismatches at its
// terminator, so nothing after it is read.
template <class Ch>
bool StartsWith(const Ch* text, const Ch* prefix) noexcept {
    for (; *prefix != 0; ++text, ++prefix) {
        if (*text != *prefix) return false;
    }
    return true;
}

template <class Ch>
bool IsProtocol(const Ch* url, const Ch (*schemes)[kSchemeWidth]) noexcept {
    for (int s = 0; s < kSchemeSlots && schemes[s][0] != 0; ++s) {
        if (StartsWith(url, schemes[s])) return true;
    }
    return false;
}

// The C library's substring search: the same answer as a compare at each
// position, and it stops at the URL's terminator as well.
bool ContainsMarker(const char* url, const char* marker) noexcept { return std::strstr(url, marker) != nullptr; }

bool ContainsMarker(const char16_t* url, const char16_t* marker) noexcept {
    for (const char16_t* p = url; *p != 0; ++p) {
        if (*p == u'%' && StartsWith(p, marker)) return true;
    }
    return false;
}

}  // namespace

bool IsProtocolW(const char16_t* url) noexcept { return IsProtocol(url, kSchemesW); }
bool IsProtocolA(const char* url) noexcept { return IsProtocol(url, kSchemesA); }

bool IsJisEncodeW(const char16_t* url) noexcept { return ContainsMarker(url, kJisMarkerW); }
bool IsJisEncodeA(const char* url) noexcept { return ContainsMarker(url, kJisMarkerA); }

}  // namespace zr::url
