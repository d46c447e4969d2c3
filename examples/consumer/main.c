/* main.c - the smallest use of ZR_Moji: Shift_JIS to UTF-16, then to JIS. */
#include <stdio.h>
#include <string.h>

#include "zr_moji.h"

int main(void) {
    /* "日本" in Shift_JIS. */
    const char sjis[] = "\x93\xfa\x96\x7b";
    ZR_WCHAR wide[16];
    char jis[32];

    int32_t units = ZR_SJisToUnicode(sjis, wide, 16);
    if (units != 3 || wide[0] != 0x65E5 || wide[1] != 0x672C) {
        fprintf(stderr, "ZR_SJisToUnicode gave %d\n", (int)units);
        return 1;
    }
    int32_t bytes = ZR_UnicodeToJis(wide, jis, (int32_t)sizeof jis);
    if (bytes != 10 || memcmp(jis, "\x1b$BF|K\\\x1b(B", 10) != 0) {
        fprintf(stderr, "ZR_UnicodeToJis gave %d\n", (int)bytes);
        return 1;
    }
    printf("ok: %d UTF-16 units, %d JIS bytes\n", (int)units - 1, (int)bytes);
    return 0;
}
