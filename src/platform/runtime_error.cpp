// Raising the platform's numbered errors with their standard descriptions.
#include "tpl/runtime_error.h"

#include <string_view>

namespace tpl {
namespace {

struct Description {
  int32_t number;
  std::string_view text;
};

// The descriptions the platform gives under Brazilian Portuguese settings.
constexpr Description kDescriptions[] = {
    {error::kInvalidProcedureCall, "Chamada de procedimento ou argumento inválido"},
    {error::kOverflow, "Estouro"},
    {error::kSubscriptOutOfRange, "Subscrito fora do intervalo"},
    {error::kTypeMismatch, "Tipos incompatíveis"},
    {error::kObjectNotSet, "Variável de objeto ou variável do bloco With não definida"},
    {error::kInvalidUseOfNull, "Uso inválido de Null"},
    {error::kMethodNotSupported, "O objeto não dá suporte para a propriedade ou método"},
    {error::kWrongArgumentCount,
     "Número de argumentos incorreto ou atribuição de propriedade inválida"},
    {error::kKeyAlreadyExists, "Esta chave já está associada a um elemento desta coleção"},
    {error::kItemNotFound,
     "O item não pode ser encontrado na coleção correspondente ao nome ou ao ordinal "
     "solicitado."},
    {error::kObjectClosed, "A operação não é permitida quando o objeto está fechado."},
    {error::kProviderNotFound,
     "Provedor não encontrado. Talvez não esteja instalado corretamente."},
    {error::kNoCurrentRecord,
     "BOF ou EOF é True ou o registro atual foi excluído. A operação solicitada requer um "
     "registro atual."},
};

constexpr std::string_view kUnknownError = "Erro definido pelo aplicativo ou pelo objeto";

}  // namespace

std::string StandardDescription(int32_t number) {
  for (const Description& d : kDescriptions) {
    if (d.number == number) return std::string(d.text);
  }
  return std::string(kUnknownError);
}

void Raise(int32_t number, int32_t line) {
  throw RuntimeError(number, StandardDescription(number), line);
}

}  // namespace tpl
