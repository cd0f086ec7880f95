#include "mail/mail_message.h"

#include <cstdint>

namespace tpl::mail {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr size_t kLineLength = 76;

std::string Base64(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    uint32_t n = (uint8_t(bytes[i]) << 16) | (uint8_t(bytes[i + 1]) << 8) | uint8_t(bytes[i + 2]);
    out += kAlphabet[n >> 18];
    out += kAlphabet[(n >> 12) & 63];
    out += kAlphabet[(n >> 6) & 63];
    out += kAlphabet[n & 63];
  }
  if (i < bytes.size()) {
    uint32_t n = uint8_t(bytes[i]) << 16;
    if (i + 1 < bytes.size()) n |= uint8_t(bytes[i + 1]) << 8;
    out += kAlphabet[n >> 18];
    out += kAlphabet[(n >> 12) & 63];
    out += i + 1 < bytes.size() ? kAlphabet[(n >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

bool IsPlainAscii(std::string_view text) {
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u >= 0x7f) return false;
  }
  return true;
}

// A header value: as it is when plain ASCII, else an encoded word. Line
// breaks never reach a header, so a value cannot add headers of its own.
std::string HeaderText(std::string_view text) {
  if (IsPlainAscii(text)) return std::string(text);
  return "=?UTF-8?B?" + Base64(text) + "?=";
}

// RFC 2231 form of a parameter value: UTF-8''percent-encoded.
std::string ExtendedValue(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "UTF-8''";
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    bool plain = (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') ||
                 u == '.' || u == '-' || u == '_';
    if (plain) {
      out += c;
    } else {
      out += '%';
      out += kHex[u >> 4];
      out += kHex[u & 15];
    }
  }
  return out;
}

// The classic quoted file name: ASCII letters kept, the rest as "_".
std::string QuotedName(std::string_view name) {
  std::string out;
  for (char c : name) {
    unsigned char u = static_cast<unsigned char>(c);
    out += (u < 0x20 || u >= 0x7f || c == '"' || c == '\\') ? '_' : c;
  }
  return out;
}

}  // namespace

std::string Base64Lines(std::string_view bytes) {
  const std::string flat = Base64(bytes);
  std::string out;
  out.reserve(flat.size() + flat.size() / kLineLength * 2 + 2);
  for (size_t at = 0; at < flat.size(); at += kLineLength) {
    out.append(flat, at, kLineLength);
    out += "\r\n";
  }
  return out;
}

bool IsPlainAddress(std::string_view address) {
  const size_t at = address.find('@');
  if (at == std::string_view::npos || at == 0 || at + 1 == address.size()) return false;
  if (address.find('@', at + 1) != std::string_view::npos) return false;
  for (char c : address) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u <= 0x20 || u == 0x7f || c == '<' || c == '>' || c == ',' || c == ';' || c == '"')
      return false;
  }
  return true;
}

std::string MailText(const Message& message, std::string_view date, std::string_view message_id) {
  const std::string boundary = "=_tpl_" + std::string(message_id.substr(0, message_id.find('@')));
  const Attachment& file = message.attachment;
  std::string text;
  text.reserve(file.content.size() * 4 / 3 + 2048);
  text += "From: <" + message.from + ">\r\n";
  text += "To: <" + message.to + ">\r\n";
  text += "Subject: " + HeaderText(message.subject) + "\r\n";
  text += "Date: " + std::string(date) + "\r\n";
  text += "Message-ID: <" + std::string(message_id) + ">\r\n";
  text += "MIME-Version: 1.0\r\n";
  text += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n\r\n";
  text += "--" + boundary + "\r\n";
  text += "Content-Type: text/plain; charset=UTF-8\r\n";
  text += "Content-Transfer-Encoding: base64\r\n\r\n";
  text += Base64Lines(message.body);
  text += "--" + boundary + "\r\n";
  text += "Content-Type: " + file.content_type + "; name=\"" + QuotedName(file.file_name) + "\"\r\n";
  text += "Content-Transfer-Encoding: base64\r\n";
  text += "Content-Disposition: attachment; filename=\"" + QuotedName(file.file_name) +
          "\"; filename*=" + ExtendedValue(file.file_name) + "\r\n\r\n";
  text += Base64Lines(file.content);
  text += "--" + boundary + "--\r\n";
  return text;
}

}  // namespace tpl::mail
