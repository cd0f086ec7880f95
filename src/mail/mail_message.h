// An e-mail with one attached file, written as the text a mail server
// receives: headers, a plain-text part and the attachment in base64. The
// subject and the body are UTF-8; the subject is encoded for the header
// (RFC 2047) and the attachment's name travels in both the classic and the
// RFC 2231 form, so every reader finds it.
#pragma once

#include <string>
#include <string_view>

namespace tpl::mail {

struct Attachment {
  std::string file_name;     // the name the reader sees, without folder
  std::string content_type;  // "application/vnd.openxmlformats-..." or "text/plain"
  std::string content;       // the bytes of the file
};

struct Message {
  std::string from;  // bare addresses: ana@exemplo.com.br
  std::string to;
  std::string subject;
  std::string body;
  Attachment attachment;
};

// The message as mail text with CRLF line ends; `date` is the Date header's
// value ("Sun, 06 Dec 2026 20:00:00 +0000") and `message_id` the part of
// the Message-ID between its angle brackets.
std::string MailText(const Message& message, std::string_view date, std::string_view message_id);

// Base64 of `bytes`, in lines of 76 characters ending in CRLF.
std::string Base64Lines(std::string_view bytes);

// True for an address we can hand to a mail server: one "@" with text on
// both sides, no blanks, angle brackets, commas or line breaks.
bool IsPlainAddress(std::string_view address);

}  // namespace tpl::mail
