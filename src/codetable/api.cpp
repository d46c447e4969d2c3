// api.cpp - exports of the code tables.
#include <string_view>

#include "api/boundary.hpp"
#include "codetable/code_table.hpp"
#include "platform/file.hpp"
#include "zr_moji.h"

using zr::api::Units;

extern "C" ZR_API CodeTable* ZR_CALL ZR_CodeTableInitW(const ZR_WCHAR* path, int32_t direction, int32_t openOption,
                                                       int32_t sortOnLoad) {
    return zr::codetable::Load(Units(path), direction, openOption, sortOnLoad);
}

extern "C" ZR_API CodeTable* ZR_CALL ZR_CodeTableInitA(const char* path, int32_t direction, int32_t openOption,
                                                       int32_t sortOnLoad) {
    // One unit beyond what the conversion may write stays 0, so the path is
    // terminated whatever a conversion that did not fit leaves behind.
    ZR_WCHAR wide[zr::platform::kMaxPath + 1] = {};
    // A path that does not fit once widened, or none at all, is passed on
    // empty: the load then fails as for a file that cannot be opened, after
    // its own checks of the other arguments.
    if (!path || ZR_SJisToUnicode(path, wide, static_cast<int32_t>(std::size(wide) - 1)) <= 0) wide[0] = 0;
    return ZR_CodeTableInitW(wide, direction, openOption, sortOnLoad);
}

extern "C" ZR_API int32_t ZR_CALL ZR_CodeTableError(void) { return zr::codetable::g_loadError.load(); }

extern "C" ZR_API int32_t ZR_CALL ZR_CodeTableErrorLine(void) { return zr::codetable::g_loadErrorLine.load(); }

extern "C" ZR_API int32_t ZR_CALL ZR_CodeTableCode(const CodeTable* table, int32_t code) {
    if (!table) return -1;
    return zr::codetable::Lookup(*table, code);
}

extern "C" ZR_API int32_t ZR_CALL ZR_CodeTableString(const CodeTable* table, const ZR_WCHAR* src, ZR_WCHAR* dst,
                                                     int32_t dstSize) {
    if (!table || zr::api::NullOrNegativeSize(src, dst, dstSize)) return -1;
    return zr::codetable::MapString(*table, std::u16string_view(Units(src)), Units(dst), dstSize);
}

extern "C" ZR_API void ZR_CALL ZR_CodeTableTerm(CodeTable* table) { zr::codetable::Release(table); }
