#include <iconv.h>

#include "ini/gbk_converter.h"

namespace velmor::ini {
namespace {

const auto kNoConverter = reinterpret_cast<iconv_t>(-1);

bool Convert(void* cd, const char* in, std::size_t inLen, char* out, std::size_t outCap,
             std::size_t& outLen) {
    const auto converter = static_cast<iconv_t>(cd);
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in);
    char* dst = out;
    std::size_t inLeft = inLen;
    std::size_t outLeft = outCap;
    if (iconv(converter, &src, &inLeft, &dst, &outLeft) == static_cast<std::size_t>(-1))
        return false;
    if (iconv(converter, nullptr, nullptr, &dst, &outLeft) == static_cast<std::size_t>(-1))
        return false;
    outLen = outCap - outLeft;
    return inLeft == 0;
}

}  // namespace

GbkConverter::GbkConverter() {
    const iconv_t toUni = iconv_open("UTF-32LE", "GBK");
    const iconv_t fromUni = iconv_open("GBK", "UTF-32LE");
    if (toUni == kNoConverter || fromUni == kNoConverter) {
        if (toUni != kNoConverter) iconv_close(toUni);
        if (fromUni != kNoConverter) iconv_close(fromUni);
        return;
    }
    toUnicode_ = toUni;
    fromUnicode_ = fromUni;
}

GbkConverter::~GbkConverter() {
    if (toUnicode_) iconv_close(static_cast<iconv_t>(toUnicode_));
    if (fromUnicode_) iconv_close(static_cast<iconv_t>(fromUnicode_));
}

bool GbkConverter::Available() const { return toUnicode_ != nullptr; }

char32_t GbkConverter::RoundTrip(const char* bytes, std::size_t len) const {
    char uni[8];
    std::size_t uniLen = 0;
    if (!Convert(toUnicode_, bytes, len, uni, sizeof uni, uniLen) || uniLen != 4) return 0;
    const auto* u = reinterpret_cast<const unsigned char*>(uni);
    const char32_t cp = u[0] | (u[1] << 8) | (u[2] << 16) | (static_cast<char32_t>(u[3]) << 24);
    if (cp > 0xFFFF) return 0;
    char back[8];
    std::size_t backLen = 0;
    if (!Convert(fromUnicode_, uni, 4, back, sizeof back, backLen) || backLen != len) return 0;
    for (std::size_t i = 0; i < len; ++i) {
        if (back[i] != bytes[i]) return 0;
    }
    return cp;
}

}  // namespace velmor::ini
