#include "sentences/sentences.h"

namespace tpl {

std::string Compose(std::string_view sentence, std::string_view first, std::string_view second) {
  std::string text;
  text.reserve(sentence.size() + first.size() + second.size());
  for (size_t i = 0; i < sentence.size(); ++i) {
    if (sentence[i] == '%' && i + 1 < sentence.size() &&
        (sentence[i + 1] == '1' || sentence[i + 1] == '2')) {
      text += sentence[i + 1] == '1' ? first : second;
      ++i;
    } else {
      text += sentence[i];
    }
  }
  return text;
}

}  // namespace tpl
