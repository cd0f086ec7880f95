#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <set>
#include <string>

#include "output/job_request.h"
#include "support/temp_database.h"
#include "tpl/conversions.h"

namespace tpl {
namespace {

constexpr int kProcesses = 4;
constexpr int kJobsEach = 10;

class JobConcurrency : public ::testing::TestWithParam<std::string> {
 protected:
  testing::TempDatabase db_;
};

// Several processes register at once; each writes the identifiers it got,
// or 0 for a failed registration.
TEST_P(JobConcurrency, RegistrationsNeverShareAnIdentifier) {
  const std::string path = (db_.file().parent_path() / "jobs.txt").string();
  for (int p = 0; p < kProcesses; ++p) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child != 0) continue;
    FILE* out = fopen(path.c_str(), "a");
    for (int i = 0; i < kJobsEach; ++i) {
      testing::JobRequest request{GetParam(), db_.connection_string()};
      fprintf(out, "%d\n", request.Register() ? CLng(request.job_id) : 0);
      fflush(out);
    }
    _exit(0);
  }
  for (int p = 0; p < kProcesses; ++p) wait(nullptr);

  std::set<int> seen;
  FILE* in = fopen(path.c_str(), "r");
  ASSERT_NE(in, nullptr);
  for (int id; fscanf(in, "%d", &id) == 1;) {
    EXPECT_NE(id, 0) << "a registration failed";
    EXPECT_TRUE(seen.insert(id).second) << "identifier handed out twice: " << id;
  }
  fclose(in);
  constexpr int kTotal = kProcesses * kJobsEach;
  EXPECT_EQ(seen.size(), static_cast<size_t>(kTotal));
  EXPECT_EQ(CLng(db_.Scalar("SELECT COUNT(*) FROM LOG_GERADOR WHERE TXT_QUERY = "
                            "LOG_GERADOR_ID || '__JOB____A__D''A' COLLATE NOCASE")),
            kTotal)
      << "each job carries its own identifier in its parameter text";
  EXPECT_EQ(CLng(db_.Scalar("SELECT LOG_GERADOR_ID FROM infra_ids")), kTotal);
}

INSTANTIATE_TEST_SUITE_P(JobByKind, JobConcurrency, ::testing::Values("SQLSERVER", "ORACLE"),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace tpl
