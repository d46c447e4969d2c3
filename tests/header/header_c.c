/* header_c.c - the public header compiles as strict C99 and its types have
 * the widths the ABI promises. */
#include "zr_moji.h"

typedef char zr_assert_wchar_is_16_bits[sizeof(ZR_WCHAR) == 2 ? 1 : -1];
typedef char zr_assert_int_is_32_bits[sizeof(int32_t) == 4 ? 1 : -1];

int zr_header_c_probe(void) {
    ZR_WCHAR wide[4] = {0x41, 0};
    char narrow[8];
    return ZR_UnicodeToSJis(wide, narrow, (int32_t)sizeof narrow);
}
