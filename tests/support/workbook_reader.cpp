#include "support/workbook_reader.h"

#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <sstream>
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
  std::stringstream content;
  content << file.rdbuf();
  const std::string zip = content.str();
  // The end of the central directory: the last 22 bytes when, as here,
  // the zip carries no comment.
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

namespace {

// The value of attribute `name` in the tag starting at `at` ("" if absent).
std::string Attribute(const std::string& xml, size_t at, const std::string& name) {
  const size_t end = xml.find('>', at);
  const size_t found = xml.find(" " + name + "=\"", at);
  if (found == std::string::npos || found > end) return "";
  const size_t value = found + name.size() + 3;
  return xml.substr(value, xml.find('"', value) - value);
}

// The number format code of cell format `xf` (General is "").
std::string NumberFormatCode(const std::string& styles, int xf) {
  size_t at = styles.find("<cellXfs");
  for (int i = 0; i <= xf; ++i) at = styles.find("<xf ", at + 1);
  const std::string id = Attribute(styles, at, "numFmtId");
  static const std::map<std::string, std::string> kBuiltIn = {
      {"0", ""}, {"1", "0"}, {"2", "0.00"}, {"49", "@"}};
  if (kBuiltIn.contains(id)) return kBuiltIn.at(id);
  return Attribute(styles, styles.find("<numFmt numFmtId=\"" + id + "\""), "formatCode");
}

// Text of shared string `index`.
std::string SharedString(const std::string& strings, int index) {
  size_t at = 0;
  for (int i = 0; i <= index; ++i) at = strings.find("<si>", at + 1);
  const size_t text = strings.find('>', strings.find("<t", at)) + 1;
  return strings.substr(text, strings.find("</t>", text) - text);
}

}  // namespace

SavedSheet::SavedSheet(const std::filesystem::path& path, int sheet)
    : parts_(ZipParts(path)),
      xml_(parts_.at("xl/worksheets/sheet" + std::to_string(sheet) + ".xml")) {}

std::string SavedSheet::Cell(const std::string& reference) const {
  const size_t at = xml_.find("<c r=\"" + reference + "\"");
  if (at == std::string::npos) return "none";
  const std::string style = Attribute(xml_, at, "s"), type = Attribute(xml_, at, "t");
  const std::string format =
      style.empty() ? "" : NumberFormatCode(parts_.at("xl/styles.xml"), std::stoi(style));
  const size_t end = xml_.find('>', at);
  if (xml_[end - 1] == '/') return "blank | " + format;
  const size_t value = end + 4;  // after "><v>"
  const std::string stored = xml_.substr(value, xml_.find("</v>", value) - value);
  if (type == "s") return "s " + SharedString(parts_.at("xl/sharedStrings.xml"), std::stoi(stored)) + " | " + format;
  return (type == "b" ? "b " : "n ") + stored + " | " + format;
}

}  // namespace tpl::testing
