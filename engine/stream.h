// Bounds-checked byte streams for our binary files: little-endian values, and the tagged values
// (integers, booleans, strings) that the material library and the form data are written with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Reads from a block of bytes it does not own. Every read checks the remaining length first
// and fails with "Stream read error" rather than read past the end.
class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  explicit ByteReader(const std::vector<uint8_t>& data) : ByteReader(data.data(), data.size()) {}
  // It would read a temporary after its end.
  explicit ByteReader(std::vector<uint8_t>&&) = delete;

  size_t position() const { return pos_; }
  size_t size() const { return size_; }
  size_t remaining() const { return size_ - pos_; }
  bool at_end() const { return pos_ >= size_; }
  const uint8_t* current() const { return data_ + pos_; }

  void read(void* destination, size_t count);
  void skip(size_t count);
  uint8_t read_u8();
  int8_t read_i8() { return static_cast<int8_t>(read_u8()); }
  uint16_t read_u16();
  int16_t read_i16() { return static_cast<int16_t>(read_u16()); }
  uint32_t read_u32();
  int32_t read_i32() { return static_cast<int32_t>(read_u32()); }
  float read_f32();

 private:
  void need(size_t count) const;

  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// Grows a byte block; the counterpart of ByteReader.
class ByteWriter {
 public:
  const std::vector<uint8_t>& data() const { return data_; }
  std::vector<uint8_t>& data() { return data_; }

  void write(const void* source, size_t count);
  void write_u8(uint8_t v) { data_.push_back(v); }
  void write_u16(uint16_t v);
  void write_u32(uint32_t v);
  void write_i32(int32_t v) { write_u32(static_cast<uint32_t>(v)); }
  void write_f32(float v);

 private:
  std::vector<uint8_t> data_;
};

// Value tags of the typed stream format.
enum : uint8_t {
  vaFalse = 8,
  vaTrue = 9,
  vaInt8 = 2,
  vaInt16 = 3,
  vaInt32 = 4,
  vaString = 6,
  vaLString = 12,
  vaWString = 18,
  vaUTF8String = 20,
};

// Tag 2, 3 or 4 and the value; any other tag fails with "Invalid property value".
int32_t read_tagged_integer(ByteReader& reader);
// Tag 9 is true, any other tag false.
bool read_tagged_boolean(ByteReader& reader);
// Tags 6, 12, 18 (UTF-16LE, converted to UTF-8) and 20; others fail with "Invalid property value".
std::string read_tagged_string(ByteReader& reader);

// Writes the smallest integer tag that holds the value.
void write_tagged_integer(ByteWriter& writer, int32_t value);
void write_tagged_boolean(ByteWriter& writer, bool value);
// Tag 6 up to 255 bytes, tag 12 beyond.
void write_tagged_string(ByteWriter& writer, const std::string& value);
