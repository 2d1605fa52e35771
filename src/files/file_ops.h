#pragma once
// The few file-system calls with which the program reads and replaces its files (the
// INI documents, the simulated controller's state, image files), behind one seam so
// that tests can make them fail (a full disk, a failed flush, a rename that does not
// happen) and check that no previous file is lost.

#include <cstddef>
#include <string>

namespace velmor::files {

class FileOps {
  public:
    virtual ~FileOps() = default;

    // Files above this size are not read. The largest document the store can use is far
    // below 1 MiB (the 10,000-byte checksum holds 2,500 commands or fewer, a controller
    // image 1,022 records); the limit leaves room for anything made by hand while any
    // file within it loads in well under a second and 64 MiB.
    static constexpr long long kMaxReadBytes = 16LL * 1024 * 1024;

    // Reads the whole regular file. False when it cannot be opened or read, is not a
    // regular file (a pipe would block forever) or is larger than kMaxReadBytes; `bytes`
    // is then empty.
    virtual bool ReadAll(const std::string& path, std::string& bytes);
    // Creates a new file that did not exist (exclusive create, permissions as for any new
    // file). Returns a descriptor, or -1.
    virtual int CreateNew(const std::string& path);
    // Writes up to `size` bytes; returns the count written or -1. May write fewer.
    virtual long Write(int fd, const char* data, std::size_t size);
    // Flushes the file's data to the storage device.
    virtual bool Sync(int fd);
    virtual bool Close(int fd);
    // Replaces `to` by `from` in one step.
    virtual bool Rename(const std::string& from, const std::string& to);
    virtual bool Remove(const std::string& path);
    // Makes a rename in `folder` durable (best effort; the content is already safe).
    virtual void SyncFolder(const std::string& folder);
    // Gives a new file the permissions of the file it replaces (best effort).
    virtual void CopyMode(const std::string& from, int fd);
};

// The operating system's calls; shared, stateless.
FileOps& DefaultFileOps();

}  // namespace velmor::files
