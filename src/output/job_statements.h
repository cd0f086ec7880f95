// The statement texts of job registration. On SQL Server the job row and
// its parameter text are written by stored procedures called with literal
// arguments; on Oracle the system writes them itself with plain SQL and
// then runs a small query that answers like the procedures do.
#pragma once

#include <cstdint>
#include <string>

namespace tpl {

// Status of a job that has just been registered.
inline constexpr int32_t kNewJobStatus = 1;

// The values of one job row, as the job steps receive them.
struct JobRowValues {
  int32_t user = 0;
  int32_t function = 0;
  std::string title;
  std::string flag;
  std::string text;
  std::string recipient;
  int32_t status = kNewJobStatus;
  std::string start_date;  // empty: the job may start at once
  std::string sender;
  std::string attachment;
};

// SQL Server: the calls of SP_KMB_INC_JOB2 and SP_KMB_INCLUI_PARAMETRO_JOB3.
std::string JobInsertCall(const JobRowValues& job);
std::string JobParametersCall(int32_t job_id, const std::string& parameters, int32_t user);

// Oracle: the statements that stand in for the two procedures, and the
// queries whose first row answers in their place.
std::string OracleJobInsert(int32_t job_id, const JobRowValues& job);
std::string OracleJobInsertAnswer(int32_t job_id);
std::string OracleJobParametersUpdate(int32_t job_id, const std::string& parameters);
std::string OracleJobParametersAnswer();

}  // namespace tpl
