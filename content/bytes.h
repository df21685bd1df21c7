// A growing byte buffer with little- and big-endian writers, shared by every file writer.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace content {

using Bytes = std::vector<uint8_t>;

class ByteWriter {
 public:
  Bytes& bytes() { return out_; }
  size_t size() const { return out_.size(); }

  void u8(uint32_t v) { out_.push_back(static_cast<uint8_t>(v)); }
  void u16le(uint32_t v) {
    u8(v);
    u8(v >> 8);
  }
  void u32le(uint32_t v) {
    u16le(v);
    u16le(v >> 16);
  }
  void i32le(int32_t v) { u32le(static_cast<uint32_t>(v)); }
  void f32le(float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    u32le(v);
  }
  void u16be(uint32_t v) {
    u8(v >> 8);
    u8(v);
  }
  void u32be(uint32_t v) {
    u16be(v >> 16);
    u16be(v);
  }
  void text(const std::string& s) { out_.insert(out_.end(), s.begin(), s.end()); }
  void cstring(const std::string& s) {
    text(s);
    u8(0);
  }
  void append(const Bytes& b) { out_.insert(out_.end(), b.begin(), b.end()); }
  // Overwrites a little-endian 32-bit value written earlier (chunk lengths).
  void patch_u32le(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out_[at + i] = static_cast<uint8_t>(v >> (8 * i));
  }
  void patch_u32be(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out_[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
  }

 private:
  Bytes out_;
};

}  // namespace content
