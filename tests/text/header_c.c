/* header_c.c - zr_text.h compiles as strict C99. */
#include "zr_text.h"

int zrt_header_c_probe(void) {
    ZRT_Options o;
    ZRT_Converter* c;
    ZRT_DefaultOptions(&o);
    c = ZRT_Open(ZRT_ENC_UTF8, ZRT_ENC_SJIS, &o);
    ZRT_Close(c);
    return ZRT_EncodingFromName("cp932");
}
