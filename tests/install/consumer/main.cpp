// A host program that knows the library only as installed: `tpl_consumer FILE` creates an embedded database with the
// demo data in FILE (which must not exist yet) and runs a report on it through late binding, as a host application
// does. Prints the result code, the message and the result matrix's size and first data row; exits 0 when it ran.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "tpl/conversions.h"
#include "tpl/embedded_database.h"
#include "tpl/runtime_error.h"
#include "tpl/tpl.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tpl_consumer FILE\n");
    return 2;
  }
  try {
    tpl::db::CreateEmbeddedDatabase(argv[1], true);

    using tpl::Variant;
    // gExecutar_Query: connection, user, message, Database kind, query, no filters, then the outputs; shown on
    // screen, not e-mailed.
    std::vector<Variant> args = {
        Variant(std::string("Data Source=") + argv[1]), Variant::Long(5), Variant(), Variant("SQLSERVER"),
        Variant("SELECT NOME, REGIAO_ID FROM REGIAO WHERE REGIAO_ID <= 2 ORDER BY REGIAO_ID"), Variant(),
        Variant::Integer(0), Variant::Integer(7), Variant(), Variant(), Variant(), Variant(), Variant("Regiões"),
        Variant(""), Variant::Long(1), Variant("N"), Variant(""), Variant(), Variant("N")};
    const Variant result = tpl::TPL().Invoke("gExecutar_Query", args);

    std::printf("result %d\n", tpl::CInt(result));
    std::printf("message \"%s\"\n", tpl::CStr(args[2]).c_str());
    if (result != Variant::Integer(0)) return 1;
    const tpl::Array& matrix = args[10].AsArray();
    std::printf("rows %d columns %d\n", tpl::CLng(args[8]), tpl::CLng(args[9]));
    std::printf("first row \"%s\" \"%s\"\n", tpl::CStr(matrix.at(1, 0)).c_str(), tpl::CStr(matrix.at(1, 1)).c_str());
    return 0;
  } catch (const tpl::RuntimeError& error) {
    std::fprintf(stderr, "tpl_consumer: error %d: %s\n", error.number(), error.what());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tpl_consumer: %s\n", error.what());
  }
  return 1;
}
