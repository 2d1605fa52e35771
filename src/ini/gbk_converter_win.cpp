#include <windows.h>

#include "ini/gbk_converter.h"

namespace velmor::ini {
namespace {

constexpr UINT kGbkCodePage = 936;

}  // namespace

GbkConverter::GbkConverter() = default;
GbkConverter::~GbkConverter() = default;

bool GbkConverter::Available() const { return ::IsValidCodePage(kGbkCodePage) != 0; }

char32_t GbkConverter::RoundTrip(const char* bytes, std::size_t len) const {
    wchar_t wide[4];
    const int n = ::MultiByteToWideChar(kGbkCodePage, MB_ERR_INVALID_CHARS, bytes,
                                        static_cast<int>(len), wide, 4);
    if (n != 1) return 0;
    char back[8];
    BOOL usedDefault = FALSE;
    const int m = ::WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, wide, 1, back,
                                        sizeof back, nullptr, &usedDefault);
    if (m != static_cast<int>(len) || usedDefault) return 0;
    for (std::size_t i = 0; i < len; ++i) {
        if (back[i] != bytes[i]) return 0;
    }
    return static_cast<char32_t>(static_cast<unsigned short>(wide[0]));
}

}  // namespace velmor::ini
