// Delivery of a composed message: to an SMTP server through libcurl, or,
// on machines without a mail server, into an outbox folder as one .eml
// file per message. Failures raise RuntimeError with kMailDeliveryError
// and a description that says what went wrong (server unreachable,
// recipient refused, folder not writable).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "mail/mail_message.h"

namespace tpl::mail {

// The number of every delivery failure.
inline constexpr int32_t kMailDeliveryError = -2146644978;  // 0x800CCC0E: no mail server

struct DeliveryTarget {
  // SMTP server, used when `outbox` is empty.
  std::string smtp_host = "127.0.0.1";
  int smtp_port = 25;
  // Folder that receives .eml files instead of a server.
  std::filesystem::path outbox;
  // Longest wait for the server: to connect, and for the whole exchange.
  int32_t connect_timeout_seconds = 15;
  int32_t transfer_timeout_seconds = 300;
};

// Sends `message` and answers where it went: the .eml file's path, or
// "smtp://HOST:PORT". `unique_name` (letters, digits, "-", "_", ".") names
// the message: its Message-ID and, in the outbox, its file
// (unique_name + ".eml"; a message sent again replaces the file).
std::string Deliver(const Message& message, const DeliveryTarget& target,
                    const std::string& unique_name);

}  // namespace tpl::mail
