#pragma once
// The language the user interface speaks, and texts that exist in both languages.
//
// The setting is stored as text ("Language" in the default document, written into
// every saved document): "eng" shows the English texts, anything else the Chinese
// ones; only exactly "chs" hosts the Chinese-only pages. A text that is neither is
// kept as it was read, so a save writes it back unchanged.

#include <string>
#include <string_view>

namespace velmor::controller {

enum class Language {
    kChinese,  // "chs"
    kEnglish,  // "eng"
    kOther,    // any other stored text: the Chinese texts, no Chinese-only pages
};

inline constexpr std::string_view kChineseSetting = "chs";
inline constexpr std::string_view kEnglishSetting = "eng";

// The language a stored setting stands for.
constexpr Language LanguageOf(std::string_view setting) {
    if (setting == kEnglishSetting) return Language::kEnglish;
    if (setting == kChineseSetting) return Language::kChinese;
    return Language::kOther;
}

// The stored spelling of kChinese and kEnglish; `other` for kOther.
constexpr std::string_view LanguageSetting(Language language, std::string_view other = {}) {
    switch (language) {
        case Language::kEnglish:
            return kEnglishSetting;
        case Language::kChinese:
            return kChineseSetting;
        case Language::kOther:
            break;
    }
    return other;
}

constexpr bool English(Language language) { return language == Language::kEnglish; }

// A text in both languages; the Chinese one unless the language is English.
struct BilingualText {
    std::string_view english;
    std::string_view chinese;

    constexpr std::string_view In(Language language) const {
        return English(language) ? english : chinese;
    }
    std::string Text(Language language) const { return std::string(In(language)); }
};

}  // namespace velmor::controller
