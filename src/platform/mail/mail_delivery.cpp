#include "platform/mail/mail_delivery.h"

#include <curl/curl.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>
#include <mutex>
#include <random>
#include <system_error>

#include "tpl/runtime_error.h"

namespace tpl::mail {
namespace {

[[noreturn]] void Fail(const std::string& description) {
  throw RuntimeError(kMailDeliveryError, description);
}

// The Date header: the current time in UTC, as mail writes it.
std::string MailDate() {
  std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[64];
  std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S +0000", &utc);
  return text;
}

std::string HostName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "localhost";
  return name;
}

void WriteOutbox(const std::string& text, const std::filesystem::path& folder,
                 const std::string& unique_name, std::filesystem::path& written) {
  written = folder / (unique_name + ".eml");
  std::random_device random;
  const std::filesystem::path temporary =
      folder / ("." + unique_name + "." + std::to_string(random()) + ".tmp");
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    file.close();
    if (!file) {
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      Fail("Não foi possível gravar a mensagem na pasta " + folder.string());
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, written, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    Fail("Não foi possível gravar a mensagem " + written.string());
  }
}

// What libcurl reads the message from.
struct Upload {
  const std::string* text;
  size_t sent = 0;
};

size_t ReadUpload(char* buffer, size_t size, size_t count, void* user) {
  Upload& upload = *static_cast<Upload*>(user);
  size_t room = size * count;
  size_t left = upload.text->size() - upload.sent;
  size_t n = left < room ? left : room;
  upload.text->copy(buffer, n, upload.sent);
  upload.sent += n;
  return n;
}

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

void SendSmtp(const std::string& text, const Message& message, const DeliveryTarget& target) {
  GlobalInit();
  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
  if (!curl) Fail("Não foi possível preparar o envio de e-mail");
  const std::string url =
      "smtp://" + target.smtp_host + ":" + std::to_string(target.smtp_port) + "/" + HostName();
  const std::string from = "<" + message.from + ">";
  const std::string to = "<" + message.to + ">";
  std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> recipients(
      curl_slist_append(nullptr, to.c_str()), curl_slist_free_all);
  Upload upload{&text};
  char error_text[CURL_ERROR_SIZE] = {};
  CURL* handle = curl.get();
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  curl_easy_setopt(handle, CURLOPT_MAIL_FROM, from.c_str());
  curl_easy_setopt(handle, CURLOPT_MAIL_RCPT, recipients.get());
  curl_easy_setopt(handle, CURLOPT_READFUNCTION, ReadUpload);
  curl_easy_setopt(handle, CURLOPT_READDATA, &upload);
  curl_easy_setopt(handle, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(handle, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(text.size()));
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, static_cast<long>(target.connect_timeout_seconds));
  curl_easy_setopt(handle, CURLOPT_TIMEOUT, static_cast<long>(target.transfer_timeout_seconds));
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, error_text);
  const CURLcode code = curl_easy_perform(handle);
  if (code != CURLE_OK) {
    std::string detail = error_text[0] != '\0' ? error_text : curl_easy_strerror(code);
    Fail("O servidor de e-mail " + target.smtp_host + ":" + std::to_string(target.smtp_port) +
         " não aceitou a mensagem (" + detail + ")");
  }
}

}  // namespace

std::string Deliver(const Message& message, const DeliveryTarget& target,
                    const std::string& unique_name) {
  if (!IsPlainAddress(message.to)) Fail("Endereço de destino inválido: " + message.to);
  if (!IsPlainAddress(message.from)) Fail("Endereço de remetente inválido: " + message.from);
  const std::string text = MailText(message, MailDate(), unique_name + "@" + HostName());
  if (!target.outbox.empty()) {
    std::filesystem::path written;
    WriteOutbox(text, target.outbox, unique_name, written);
    return written.string();
  }
  SendSmtp(text, message, target);
  return "smtp://" + target.smtp_host + ":" + std::to_string(target.smtp_port);
}

}  // namespace tpl::mail
