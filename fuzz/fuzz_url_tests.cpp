// fuzz_url_tests.cpp - scheme test, JIS marker and byte tests, encode type.
#include "text.hpp"

using namespace zr::fuzz;

namespace {

std::int32_t Test(const char* name, const Input& in) {
    const Export* e = Linked(name);
    return e ? Run(*e, in, 0).result : -2;
}

void Post(const Export& e, const Input& in, std::int32_t, const Outcome& o) {
    const std::string name = e.name;
    const char form = name.back();
    // The W form of a test answers as the A form on the same characters:
    // widen each byte to a unit.
    if (form == 'A') {
        const std::string wname = name.substr(0, name.size() - 1) + "W";
        const Export* w = Linked(wname.c_str());
        if (w) {
            std::u16string u;
            for (const char* p = static_cast<const char*>(in.ptr); *p; ++p) {
                u.push_back(static_cast<char16_t>(static_cast<unsigned char>(*p)));
            }
            const Input win = MakeInputW(Src2Arena(), u);
            if (Run(*w, win, 0).result != o.result) Fail("W and A forms disagree", w->name);
        }
    }
    // The encode type is the first test that passes, in the order JIS
    // marker, UTF-8, EUC-JP, Shift_JIS.
    if (name.rfind("ZR_URL_EncodeType", 0) == 0) {
        const std::string f(1, form);
        const std::int32_t jis = Test(("ZR_URL_IsJisEncode" + f).c_str(), in);
        const std::int32_t utf8 = Test(("ZR_URL_IsUtf8Encode" + f).c_str(), in);
        const std::int32_t euc = Test(("ZR_URL_IsEucEncode" + f).c_str(), in);
        const std::int32_t sjis = Test(("ZR_URL_IsSJisEncode" + f).c_str(), in);
        if (jis < 0 || utf8 < 0 || euc < 0 || sjis < 0) return;
        const std::int32_t want = jis ? 0 : utf8 ? 3 : euc ? 2 : sjis ? 1 : -1;
        if (o.result != want) Fail("encode type is not the first test that passes", e.name);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ExerciseFamily(Family::kUrlTest, data, size, nullptr, Post);
    return 0;
}
