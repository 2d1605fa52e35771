#pragma once
// The standard descriptors of a simulated device, built once from its options:
// device, one configuration with its interfaces and bulk endpoints (SuperSpeed
// companions for USB 3.x), BOS for USB 3.x, and the string descriptors.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmor::sim {

struct SimDeviceOptions;

// Bulk endpoints of interface 0: register words go out on 0x02, answers come in on 0x82.
inline constexpr std::uint8_t kRegisterOutEndpoint = 0x02;
inline constexpr std::uint8_t kRegisterInEndpoint = 0x82;

class SimDescriptors {
  public:
    SimDescriptors(const SimDeviceOptions& options, std::size_t deviceIndex);

    // The whole descriptor of `type` and `index`, or none when the device has no
    // such descriptor (a real device stalls the request).
    std::optional<std::vector<std::uint8_t>> Get(std::uint8_t type, std::uint8_t index) const;

    bool SuperSpeed() const { return superSpeed_; }

  private:
    static std::vector<std::uint8_t> StringDescriptor(const std::string& text);
    void BuildConfiguration(const SimDeviceOptions& options);
    void AppendInterface(std::uint8_t number, std::uint8_t alternate, std::uint8_t outEp,
                         std::uint8_t inEp);
    void BuildBos();

    bool superSpeed_ = false;
    std::vector<std::uint8_t> device_;
    std::vector<std::uint8_t> configuration_;
    std::vector<std::uint8_t> bos_;
    std::vector<std::vector<std::uint8_t>> strings_;  // index 0 = language list
};

}  // namespace velmor::sim
