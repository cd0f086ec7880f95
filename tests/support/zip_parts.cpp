#include "support/zip_parts.h"

#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace tpl::testing {
namespace {

uint32_t Read(const std::string& zip, size_t at, int bytes) {
  if (at + bytes > zip.size()) throw std::runtime_error("zip: truncated");
  uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(zip[at + i]);
  return value;
}

std::string Inflate(const std::string& data, size_t size) {
  std::string out(size, '\0');
  z_stream stream{};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) throw std::runtime_error("zip: inflateInit2");
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  int result = inflate(&stream, Z_FINISH);
  inflateEnd(&stream);
  if (result != Z_STREAM_END) throw std::runtime_error("zip: bad deflate data");
  return out;
}

}  // namespace

std::map<std::string, std::string> ZipParts(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  const std::string zip{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  // The end of the central directory: the last 22 bytes when, as here, the zip carries no comment.
  if (zip.size() < 22 || Read(zip, zip.size() - 22, 4) != 0x06054b50)
    throw std::runtime_error("zip: no central directory in " + path.string());
  const uint32_t entries = Read(zip, zip.size() - 22 + 10, 2);
  size_t at = Read(zip, zip.size() - 22 + 16, 4);
  std::map<std::string, std::string> parts;
  for (uint32_t i = 0; i < entries; ++i) {
    if (Read(zip, at, 4) != 0x02014b50) throw std::runtime_error("zip: bad directory entry");
    const uint32_t method = Read(zip, at + 10, 2), packed = Read(zip, at + 20, 4),
                   size = Read(zip, at + 24, 4), name_length = Read(zip, at + 28, 2),
                   skip = Read(zip, at + 30, 2) + Read(zip, at + 32, 2),
                   local = Read(zip, at + 42, 4);
    const std::string name = zip.substr(at + 46, name_length);
    const size_t data = local + 30 + Read(zip, local + 26, 2) + Read(zip, local + 28, 2);
    const std::string stored = zip.substr(data, packed);
    parts[name] = method == 0 ? stored : Inflate(stored, size);
    at += 46 + name_length + skip;
  }
  return parts;
}

}  // namespace tpl::testing
