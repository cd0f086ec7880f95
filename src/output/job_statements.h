// The statement texts of job registration and the answers they give. On SQL
// Server the job row and its parameter text are written by stored procedures
// called with literal arguments; on Oracle the system writes them itself with
// plain SQL and then runs a small query that answers like the procedures do.
//
// Text values are embedded between apostrophes; every apostrophe inside a
// value is doubled first, so that a value can neither end its literal early
// nor alter the statement, and the database stores it exactly as given (in
// upper case on Oracle). The first row of each answer carries Retorno (0
// accepts; anything else refuses, with Msg_Ret saying why).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "database/recordset.h"
#include "tpl/variant.h"

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

std::string WithDoubledApostrophes(std::string_view value);

// SQL Server: 57 or null; 'text' or null; 'yyyy/mm/dd hh:mm' or null.
std::string ServerNumber(int32_t value);
std::string ServerText(const std::string& value);
std::string ServerDate(const std::string& value);

// Oracle, each with its leading blanks: "  57" or " null"; "  'TEXT'" or
// " NULL"; "  to_date(...)" or " null".
std::string OracleNumber(int32_t value);
std::string OracleText(const std::string& value);
std::string OracleDate(const std::string& value);

// True when the step was accepted. Otherwise the message becomes
// `problem` + "." when no row came back, or `problem` + " (" + Msg_Ret +
// ")." for a refusal, and the recordset is closed.
bool AcceptedJobAnswer(db::Recordset& answer, std::string_view problem, Variant& message);

}  // namespace tpl
