#include "output/job_answer.h"

#include <string>

#include "shared/value_helpers.h"
#include "tpl/conversions.h"

namespace tpl {

bool AcceptedJobAnswer(db::Recordset& answer, std::string_view problem, Variant& message) {
  if (!answer.IsOpen() || answer.Eof()) {
    message = Variant(std::string(problem) + ".");
    return false;
  }
  if (CDbl(mNormaliza_Numero(answer.Value("Retorno"))) != 0) {
    message = Variant(std::string(problem) + " (" + TextOrEmpty(answer.Value("Msg_Ret")) + ").");
    answer.Close();
    return false;
  }
  return true;
}

}  // namespace tpl
