#pragma once
// Table files built byte by byte, as another dBase program writes them, for tests that must
// not depend on the engine's own writer.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace qorva::test {

struct FieldDef {
  std::string name;
  char type;
  uint8_t len, dec;
};

inline void put16(std::string& s, size_t at, uint16_t v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>(v >> 8);
}
inline void put32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A table file in the standard layout, records given as stored (deletion byte first).
inline std::string makeDbf(uint8_t version, const std::vector<FieldDef>& fields,
                           const std::vector<std::string>& records) {
  size_t headerLen = 32 + 32 * fields.size() + 1;
  uint16_t recLen = 1;
  for (const auto& f : fields) recLen = static_cast<uint16_t>(recLen + f.len);
  std::string s(headerLen, '\0');
  s[0] = static_cast<char>(version);
  put32(s, 4, static_cast<uint32_t>(records.size()));
  put16(s, 8, static_cast<uint16_t>(headerLen));
  put16(s, 10, recLen);
  for (size_t i = 0; i < fields.size(); ++i) {
    size_t at = 32 + 32 * i;
    std::memcpy(&s[at], fields[i].name.data(), fields[i].name.size());
    s[at + 11] = fields[i].type;
    s[at + 16] = static_cast<char>(fields[i].len);
    s[at + 17] = static_cast<char>(fields[i].dec);
  }
  s[headerLen - 1] = 0x0D;
  for (const auto& r : records) {
    EXPECT_EQ(r.size(), recLen) << r;
    s += r;
  }
  s += '\x1A';
  return s;
}

inline std::string makeDbf(const std::vector<FieldDef>& fields, const std::vector<std::string>& records) {
  return makeDbf(0x03, fields, records);
}

}  // namespace qorva::test
