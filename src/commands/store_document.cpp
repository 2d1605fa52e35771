#include "commands/store_document.h"

#include <filesystem>
#include <system_error>

#include "files/utf8_path.h"

namespace velmor::commands {
namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

}  // namespace

StoreDocument::StoreDocument(files::FileOps& ops) : ini_(ops), profile_(ini_.Lines()) {}

std::string StoreDocument::ResolveFileName(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path p = files::PathFromUtf8(path);
    if (path.empty() || fs::exists(fs::symlink_status(p, ec)) || p.filename().empty()) return path;
    const fs::path folder = p.parent_path().empty() ? fs::path(".") : p.parent_path();
    const std::string wanted = files::Utf8FromPath(p.filename());
    std::string best;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = files::Utf8FromPath(it->path().filename());
        // Of several spellings, the lowest sorting one, so the choice never depends on
        // the order the folder lists its entries.
        if (SameIgnoringCase(name, wanted) && (best.empty() || name < best)) best = name;
    }
    if (best.empty()) return path;
    return files::Utf8FromPath(p.parent_path() / files::PathFromUtf8(best));
}

bool StoreDocument::Open(const std::string& path) {
    ini_.SetPath(ResolveFileName(path));
    ini_.Lines().Clear();
    return ini_.Load();
}

bool StoreDocument::OpenForUpdate(const std::string& path) {
    if (Open(path)) return true;
    std::error_code ec;
    return !std::filesystem::exists(
        std::filesystem::symlink_status(files::PathFromUtf8(ini_.Path()), ec));
}

void StoreDocument::OpenEmpty(const std::string& path) {
    ini_.SetPath(ResolveFileName(path));
    ini_.Reset();
}

bool StoreDocument::Commit() { return ini_.Save(); }

}  // namespace velmor::commands
