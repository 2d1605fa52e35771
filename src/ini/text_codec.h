#pragma once
// The GBK boundary: files on disk are GBK, text in memory is UTF-8.
//
// Decoding never fails. A byte that does not start a GBK character (or a pair whose
// Unicode form would not encode back to the same two bytes) becomes the private-use
// code point U+F700 + byte, and encoding turns that code point back into the byte, so
// a file survives a load and save unchanged even when it is not valid GBK.
// Characters that GBK cannot hold are encoded as '?'.

#include <cstddef>
#include <string>
#include <string_view>

namespace velmor::ini {

// First and last private-use code points that stand for an undecodable byte 0x80..0xFF.
inline constexpr char32_t kRawByteFirst = 0xF780;
inline constexpr char32_t kRawByteLast = 0xF7FF;

std::string DecodeGbk(std::string_view gbk);
// Replaces the GBK bytes of `text` by their UTF-8 form, reusing the buffer when they are
// all ASCII. False, and `text` unchanged, when the UTF-8 form would exceed `maxBytes`.
bool DecodeGbkInPlace(std::string& text, std::size_t maxBytes);
std::string EncodeGbk(std::string_view utf8);
// The same in the buffer of `text` (GBK never takes more bytes than UTF-8).
void EncodeGbkInPlace(std::string& text);

// Number of bytes the UTF-8 text takes once encoded as GBK.
std::size_t GbkLength(std::string_view utf8);

// The longest prefix of whole characters whose GBK form fits in `maxBytes`.
std::string_view TruncateToGbkBytes(std::string_view utf8, std::size_t maxBytes);

}  // namespace velmor::ini
