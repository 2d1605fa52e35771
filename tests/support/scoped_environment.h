#pragma once
// Sets (or, with nullopt, removes) an environment variable for one test and puts
// back what was there before, on every platform.

#include <cstdlib>
#include <optional>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace velmor::testing {

class ScopedEnvironment {
  public:
    ScopedEnvironment(std::string name, const std::optional<std::string>& value)
        : name_(std::move(name)) {
        if (const char* old = std::getenv(name_.c_str())) saved_ = old;
        Put(value);
    }
    ~ScopedEnvironment() { Put(saved_); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    void Put(const std::optional<std::string>& value) {
#ifdef _WIN32
        // Both the runtime's copy (getenv) and the process's own (GetEnvironmentVariable).
        ::_putenv_s(name_.c_str(), value ? value->c_str() : "");
        ::SetEnvironmentVariableA(name_.c_str(), value ? value->c_str() : nullptr);
#else
        if (value)
            ::setenv(name_.c_str(), value->c_str(), 1);
        else
            ::unsetenv(name_.c_str());
#endif
    }

    std::string name_;
    std::optional<std::string> saved_;
};

}  // namespace velmor::testing
