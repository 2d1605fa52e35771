#pragma once
// The file-system calls of the INI files on files held in memory: a harness loads
// and saves documents without touching the disk, thousands of times a second.

#include <map>
#include <string>

#include "files/file_ops.h"

namespace velmor::fuzz {

class MemoryFileOps : public files::FileOps {
  public:
    std::map<std::string, std::string> files;

    bool ReadAll(const std::string& path, std::string& bytes) override {
        const auto it = files.find(path);
        bytes = it == files.end() ? std::string() : it->second;
        return it != files.end();
    }
    int CreateNew(const std::string& path) override {
        if (files.count(path) != 0) return -1;
        files[path];
        open_[next_] = path;
        return next_++;
    }
    long Write(int fd, const char* data, std::size_t size) override {
        const auto it = open_.find(fd);
        if (it == open_.end()) return -1;
        files[it->second].append(data, size);
        return static_cast<long>(size);
    }
    bool Sync(int fd) override { return open_.count(fd) != 0; }
    bool Close(int fd) override { return open_.erase(fd) != 0; }
    bool Rename(const std::string& from, const std::string& to) override {
        const auto it = files.find(from);
        if (it == files.end()) return false;
        files[to] = std::move(it->second);
        files.erase(from);
        return true;
    }
    bool Remove(const std::string& path) override { return files.erase(path) != 0; }
    void SyncFolder(const std::string&) override {}
    void CopyMode(const std::string&, int) override {}

  private:
    std::map<int, std::string> open_;
    int next_ = 3;
};

}  // namespace velmor::fuzz
