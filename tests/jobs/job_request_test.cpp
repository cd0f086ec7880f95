// The pieces of the worker that read and write texts: the hand-over's
// parameter text and the e-mail's wire form.
#include <gtest/gtest.h>

#include "jobs/job_request.h"
#include "mail/mail_message.h"

namespace tpl::jobs {
namespace {

TEST(JobParameters, ReadsTheHandOversSevenParametersAndRefusesAnyOtherText) {
  struct Row { const char *text, *title, *address, *template_id; std::vector<std::string> values; };
  const Row rows[] = {
      {"12__JOB____Vendas__Sul__2__8__ana@x.com__7__2026/03/01@@@copo dagua@@@", "Vendas", "ana@x.com", "7",
       {"2026/03/01", "copo dagua"}},
      {"12__JOB____T__S____8__a@b__3__", "T", "a@b", "3", {}},  // no filters: the count may be empty
      // A value typed with "__" stays whole: only the last parameter may hold it.
      {"12__JOB____T__S__1__8__a@b__3__x__y@@@", "T", "a@b", "3", {"x__y"}},
      {"12__JOB____T__S__3__8__a@b__3__@@@b@@@@@@", "T", "a@b", "3", {"", "b", ""}},  // an empty value among others
  };
  for (const Row& row : rows) {
    JobParameters parameters;
    ASSERT_TRUE(ParseJobParameters(row.text, 12, parameters)) << row.text;
    EXPECT_EQ(parameters.title, row.title) << row.text;
    EXPECT_EQ(parameters.address, row.address) << row.text;
    EXPECT_EQ(parameters.template_id, row.template_id) << row.text;
    EXPECT_EQ(parameters.filter_values, row.values) << row.text;
  }
  for (const char* text : {
           "13__JOB____T__S__0__8__a@b__3__",     // another job's text
           "12__JOB____T__S__0__8__a@b",          // six parameters
           "12__JOB____T__S__0__8__a@b__0__",     // template 0
           "12__JOB____T__x__S__0__8__a@b__3__",  // a title holding "__" shifts the rest
           "12__job____T__S__0__8__a@b__3__",     // the marker is exact
       }) {
    JobParameters parameters;
    EXPECT_FALSE(ParseJobParameters(text, 12, parameters)) << text;
  }
}

TEST(MailMessage, AddressesThatReachAServer) {
  for (const char* address : {"ana@exemplo.com.br", "a@b", "suporte@localhost", "o'brien@x.com"})
    EXPECT_TRUE(mail::IsPlainAddress(address)) << address;
  for (const char* address :
       {"", "ana", "@x.com", "ana@", "a@b@c", "a b@c", "a@b\r\nBcc: x@y", "<a@b>", "a@b,c@d", "\"a\"@b"})
    EXPECT_FALSE(mail::IsPlainAddress(address)) << address;
}

TEST(MailMessage, Base64InLinesOf76) {
  // 57 bytes fill one line of 76 characters exactly; the 58th starts a second.
  std::string line;
  for (int i = 0; i < 19; ++i) line += "YWFh";
  for (const auto& [bytes, lines] : std::vector<std::pair<std::string, std::string>>{
           {"", ""}, {"M", "TQ==\r\n"}, {"Ma", "TWE=\r\n"}, {"Man", "TWFu\r\n"}, {"ação", "YcOnw6Nv\r\n"},
           {std::string(57, 'a'), line + "\r\n"}, {std::string(58, 'a'), line + "\r\nYQ==\r\n"}})
    EXPECT_EQ(mail::Base64Lines(bytes), lines) << bytes;
}

TEST(MailMessage, HeadersCarryUtf8WithoutLettingAValueAddHeaders) {
  const mail::Message message{.from = "relatorios@localhost", .to = "ana@exemplo.com.br",
                              .subject = "Vendas por região\r\nBcc: x@y", .body = "Segue.",
                              .attachment = {"RelDinamico2026-J1.xlsx", "application/octet-stream", "PK"}};
  const std::string text = mail::MailText(message, "Sun, 06 Dec 2026 20:00:00 +0000", "J1.7@host");
  EXPECT_NE(text.find("Subject: =?UTF-8?B?"), std::string::npos);
  EXPECT_EQ(text.find("\r\nBcc:"), std::string::npos);
  EXPECT_NE(text.find("From: <relatorios@localhost>\r\nTo: <ana@exemplo.com.br>\r\n"), std::string::npos);
  EXPECT_NE(text.find("filename=\"RelDinamico2026-J1.xlsx\"; filename*=UTF-8''RelDinamico2026-J1.xlsx"),
            std::string::npos);
}

}  // namespace
}  // namespace tpl::jobs
