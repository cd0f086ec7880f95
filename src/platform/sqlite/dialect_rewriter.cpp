#include "platform/sqlite/dialect_rewriter.h"

#include <vector>

#include "platform/sqlite/ascii_case.h"
#include "platform/sqlite/sql_scanner.h"

namespace tpl::db::sqlite {
namespace {

bool MentionsForeignWord(std::string_view sql) {
  const std::string upper = ToUpperAscii(sql);
  return upper.find("SYSDATE") != std::string::npos || upper.find("ISNULL") != std::string::npos;
}

const SqlToken* SignificantNeighbour(const std::vector<SqlToken>& tokens, size_t index, int step) {
  for (auto i = static_cast<std::ptrdiff_t>(index) + step;
       i >= 0 && i < static_cast<std::ptrdiff_t>(tokens.size()); i += step) {
    if (!tokens[i].IsFiller()) return &tokens[i];
  }
  return nullptr;
}

}  // namespace

std::string RewriteForeignDialect(std::string_view sql) {
  if (!MentionsForeignWord(sql)) return std::string(sql);

  std::vector<SqlToken> tokens;
  SqlScanner scanner(sql);
  for (SqlToken token; scanner.Next(token);) tokens.push_back(token);

  std::string rewritten;
  rewritten.reserve(sql.size() + 16);
  for (size_t i = 0; i < tokens.size(); ++i) {
    const SqlToken& token = tokens[i];
    const SqlToken* before = SignificantNeighbour(tokens, i, -1);
    const SqlToken* after = SignificantNeighbour(tokens, i, +1);
    // "t.SYSDATE" names a column, not the function.
    const bool qualified = before != nullptr && before->IsSymbol('.');
    const bool called = after != nullptr && after->IsSymbol('(');
    if (!qualified && !called && token.IsKeyword("SYSDATE")) {
      rewritten += "GETDATE()";
    } else if (!qualified && called && token.IsKeyword("ISNULL")) {
      rewritten += "IFNULL";
    } else {
      rewritten += token.text;
    }
  }
  return rewritten;
}

}  // namespace tpl::db::sqlite
