#include <locale.h>

#include <cstdio>
#include <cstdlib>

#include "ini/c_number_text.h"

namespace velmor::ini {
namespace {

locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

// Switches this thread to the "C" locale for one conversion.
class CLocaleScope {
  public:
    CLocaleScope() : previous_(CLocale() ? uselocale(CLocale()) : static_cast<locale_t>(nullptr)) {}
    ~CLocaleScope() {
        if (previous_) uselocale(previous_);
    }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

  private:
    locale_t previous_;
};

}  // namespace

std::string FormatFixedC(double value) {
    CLocaleScope scope;
    char small[64];
    const int n = std::snprintf(small, sizeof small, "%f", value);
    if (n >= 0 && n < static_cast<int>(sizeof small)) return std::string(small, n);
    // Huge magnitudes print every integer digit (up to about 310).
    std::string big(static_cast<std::size_t>(n > 0 ? n : 0) + 1, '\0');
    std::snprintf(big.data(), big.size(), "%f", value);
    big.resize(big.size() - 1);
    return big;
}

double ParseDoubleC(const std::string& text) {
    if (CLocale()) return strtod_l(text.c_str(), nullptr, CLocale());
    return std::strtod(text.c_str(), nullptr);
}

}  // namespace velmor::ini
