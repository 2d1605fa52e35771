#include "ui/page_log.h"

#include "numbers/hex_text.h"

namespace velmor::ui {

void PageLog::Append(const std::string& text) {
    if (text.empty()) return;
    {
        std::lock_guard lock(mutex_);
        text_ += text;
    }
    ++revision_;
}

void PageLog::Clear() {
    {
        std::lock_guard lock(mutex_);
        text_.clear();
        ++clears_;
    }
    ++revision_;
}

std::string PageLog::Text() const {
    std::lock_guard lock(mutex_);
    return text_;
}

PageLog::Update PageLog::Since(std::uint64_t clears, std::size_t shown) const {
    std::lock_guard lock(mutex_);
    Update update;
    update.clears = clears_;
    update.size = text_.size();
    update.whole = clears != clears_ || shown > text_.size();
    update.text = text_.substr(update.whole ? 0 : shown);
    return update;
}

void PageLog::AppendDump(std::string& text, const std::uint8_t* bytes, int count,
                         std::uint32_t start, int width) {
    numbers::AppendHexDumpText(bytes, count, start, width, text);
}

}  // namespace velmor::ui
