#include "mail/mail_delivery.h"

// The calls go through the pointers of CurlLibrary below, not the
// functions the header declares, so its type-checking macros are not wanted.
#define CURL_DISABLE_TYPECHECK
#include <curl/curl.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>
#include <mutex>
#include <random>
#include <system_error>

#include "sentences/sentences.h"
#include "tpl/runtime_error.h"
#include "values/library_loading.h"

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
      Fail(Compose(sentences::kMailFolderNotWritten, folder.string()));
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, written, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    Fail(Compose(sentences::kMailNotWritten, written.string()));
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

// libcurl, opened on the first e-mail and kept for the process. Linking it
// would make every program of the library load it and the thirty libraries
// it needs (TLS, HTTP/2, LDAP, SSH...) at start, though only the worker
// sends mail.
struct CurlLibrary {
  CURLcode (*global_init)(long flags) = nullptr;
  CURL* (*easy_init)() = nullptr;
  void (*easy_cleanup)(CURL*) = nullptr;
  CURLcode (*easy_setopt)(CURL*, CURLoption, ...) = nullptr;
  CURLcode (*easy_perform)(CURL*) = nullptr;
  const char* (*easy_strerror)(CURLcode) = nullptr;
  curl_slist* (*slist_append)(curl_slist*, const char*) = nullptr;
  void (*slist_free_all)(curl_slist*) = nullptr;
  std::string failure;  // why it could not be opened; empty when it was
};

const CurlLibrary& Curl() {
  static const CurlLibrary curl = [] {
    CurlLibrary loaded;
    static constexpr const char* kNames[] = {
        "curl_global_init",   "curl_easy_init",    "curl_easy_cleanup", "curl_easy_setopt",
        "curl_easy_perform",  "curl_easy_strerror", "curl_slist_append", "curl_slist_free_all"};
    std::vector<void*> at;
    loaded.failure = OpenLibrary("libcurl.so.4", kNames, at, true);
    if (!loaded.failure.empty()) return loaded;
    loaded.global_init = FunctionAt<decltype(loaded.global_init)>(at[0]);
    loaded.easy_init = FunctionAt<decltype(loaded.easy_init)>(at[1]);
    loaded.easy_cleanup = FunctionAt<decltype(loaded.easy_cleanup)>(at[2]);
    loaded.easy_setopt = FunctionAt<decltype(loaded.easy_setopt)>(at[3]);
    loaded.easy_perform = FunctionAt<decltype(loaded.easy_perform)>(at[4]);
    loaded.easy_strerror = FunctionAt<decltype(loaded.easy_strerror)>(at[5]);
    loaded.slist_append = FunctionAt<decltype(loaded.slist_append)>(at[6]);
    loaded.slist_free_all = FunctionAt<decltype(loaded.slist_free_all)>(at[7]);
    // Once per process, before any other thread uses the library.
    loaded.global_init(CURL_GLOBAL_DEFAULT);
    return loaded;
  }();
  return curl;
}

void SendSmtp(const std::string& text, const Message& message, const DeliveryTarget& target) {
  const CurlLibrary& api = Curl();
  if (!api.failure.empty()) Fail(Compose(sentences::kMailLibraryUnavailable, api.failure));
  std::unique_ptr<CURL, void (*)(CURL*)> curl(api.easy_init(), api.easy_cleanup);
  if (!curl) Fail(std::string(sentences::kMailNotPrepared));
  const std::string url =
      "smtp://" + target.smtp_host + ":" + std::to_string(target.smtp_port) + "/" + HostName();
  const std::string from = "<" + message.from + ">";
  const std::string to = "<" + message.to + ">";
  std::unique_ptr<curl_slist, void (*)(curl_slist*)> recipients(api.slist_append(nullptr, to.c_str()),
                                                                 api.slist_free_all);
  Upload upload{&text};
  char error_text[CURL_ERROR_SIZE] = {};
  CURL* handle = curl.get();
  api.easy_setopt(handle, CURLOPT_URL, url.c_str());
  api.easy_setopt(handle, CURLOPT_MAIL_FROM, from.c_str());
  api.easy_setopt(handle, CURLOPT_MAIL_RCPT, recipients.get());
  api.easy_setopt(handle, CURLOPT_READFUNCTION, ReadUpload);
  api.easy_setopt(handle, CURLOPT_READDATA, &upload);
  api.easy_setopt(handle, CURLOPT_UPLOAD, 1L);
  api.easy_setopt(handle, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(text.size()));
  api.easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, static_cast<long>(target.connect_timeout_seconds));
  api.easy_setopt(handle, CURLOPT_TIMEOUT, static_cast<long>(target.transfer_timeout_seconds));
  api.easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  api.easy_setopt(handle, CURLOPT_ERRORBUFFER, error_text);
  const CURLcode code = api.easy_perform(handle);
  if (code != CURLE_OK) {
    std::string detail = error_text[0] != '\0' ? error_text : api.easy_strerror(code);
    Fail(Compose(sentences::kMailRefused, target.smtp_host + ":" + std::to_string(target.smtp_port), detail));
  }
}

}  // namespace

std::string Deliver(const Message& message, const DeliveryTarget& target,
                    const std::string& unique_name) {
  if (!IsPlainAddress(message.to)) Fail(Compose(sentences::kRecipientInvalid, message.to));
  if (!IsPlainAddress(message.from)) Fail(Compose(sentences::kSenderInvalid, message.from));
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
