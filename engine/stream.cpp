// Bounds-checked byte streams and the tagged values of the typed stream format.
#include "engine/stream.h"

#include <cstring>

#include "platform/error.h"

namespace {

const char* const kReadError = "Stream read error";
const char* const kInvalidValue = "Invalid property value";

void append_utf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// UTF-16LE code units to UTF-8; a lone surrogate becomes U+FFFD instead of garbage.
std::string utf16_to_utf8(const std::vector<uint16_t>& units) {
  std::string out;
  out.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    uint32_t u = units[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      u = 0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      u = 0xFFFD;
    }
    append_utf8(out, u);
  }
  return out;
}

std::string read_bytes(ByteReader& reader, uint32_t count) {
  // The length is checked against what is left before anything is allocated.
  if (count > reader.remaining()) throw Exception(kReadError);
  std::string s(reinterpret_cast<const char*>(reader.current()), count);
  reader.skip(count);
  return s;
}

}  // namespace

void ByteReader::need(size_t count) const {
  if (count > size_ - pos_) throw Exception(kReadError);
}

void ByteReader::read(void* destination, size_t count) {
  need(count);
  if (count) std::memcpy(destination, data_ + pos_, count);
  pos_ += count;
}

void ByteReader::skip(size_t count) {
  need(count);
  pos_ += count;
}

uint8_t ByteReader::read_u8() {
  need(1);
  return data_[pos_++];
}

uint16_t ByteReader::read_u16() {
  need(2);
  uint16_t v = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
  pos_ += 2;
  return v;
}

uint32_t ByteReader::read_u32() {
  need(4);
  uint32_t v = static_cast<uint32_t>(data_[pos_]) | (static_cast<uint32_t>(data_[pos_ + 1]) << 8) |
               (static_cast<uint32_t>(data_[pos_ + 2]) << 16) |
               (static_cast<uint32_t>(data_[pos_ + 3]) << 24);
  pos_ += 4;
  return v;
}

float ByteReader::read_f32() {
  uint32_t bits = read_u32();
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}

void ByteWriter::write(const void* source, size_t count) {
  const uint8_t* p = static_cast<const uint8_t*>(source);
  data_.insert(data_.end(), p, p + count);
}

void ByteWriter::write_u16(uint16_t v) {
  data_.push_back(static_cast<uint8_t>(v));
  data_.push_back(static_cast<uint8_t>(v >> 8));
}

void ByteWriter::write_u32(uint32_t v) {
  for (int i = 0; i < 4; ++i) data_.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void ByteWriter::write_f32(float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, 4);
  write_u32(bits);
}

int32_t read_tagged_integer(ByteReader& reader) {
  switch (reader.read_u8()) {
    case vaInt8:
      return reader.read_i8();
    case vaInt16:
      return reader.read_i16();
    case vaInt32:
      return reader.read_i32();
    default:
      throw Exception(kInvalidValue);
  }
}

bool read_tagged_boolean(ByteReader& reader) { return reader.read_u8() == vaTrue; }

std::string read_tagged_string(ByteReader& reader) {
  switch (reader.read_u8()) {
    case vaString:
      return read_bytes(reader, reader.read_u8());
    case vaLString:
    case vaUTF8String:
      return read_bytes(reader, reader.read_u32());
    case vaWString: {
      uint32_t count = reader.read_u32();
      if (count > reader.remaining() / 2) throw Exception(kReadError);
      std::vector<uint16_t> units(count);
      for (auto& u : units) u = reader.read_u16();
      return utf16_to_utf8(units);
    }
    default:
      throw Exception(kInvalidValue);
  }
}

void write_tagged_integer(ByteWriter& writer, int32_t value) {
  if (value >= -128 && value <= 127) {
    writer.write_u8(vaInt8);
    writer.write_u8(static_cast<uint8_t>(static_cast<int8_t>(value)));
  } else if (value >= -32768 && value <= 32767) {
    writer.write_u8(vaInt16);
    writer.write_u16(static_cast<uint16_t>(static_cast<int16_t>(value)));
  } else {
    writer.write_u8(vaInt32);
    writer.write_i32(value);
  }
}

void write_tagged_boolean(ByteWriter& writer, bool value) {
  writer.write_u8(value ? vaTrue : vaFalse);
}

void write_tagged_string(ByteWriter& writer, const std::string& value) {
  if (value.size() <= 255) {
    writer.write_u8(vaString);
    writer.write_u8(static_cast<uint8_t>(value.size()));
  } else {
    writer.write_u8(vaLString);
    writer.write_u32(static_cast<uint32_t>(value.size()));
  }
  writer.write(value.data(), value.size());
}
