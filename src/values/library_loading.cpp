#include "values/library_loading.h"

#include <dlfcn.h>

#include "sentences/sentences.h"

namespace tpl {

std::string OpenLibrary(const char* file, std::span<const char* const> names,
                        std::vector<void*>& addresses, bool keep) {
  addresses.clear();
  void* library = dlopen(file, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* why = dlerror();
    return why != nullptr ? why : file;
  }
  for (const char* name : names) {
    void* address = dlsym(library, name);
    if (address == nullptr) {
      dlclose(library);
      addresses.clear();
      return Compose(sentences::kLibraryLacksFunction, file, name);
    }
    addresses.push_back(address);
  }
  if (!keep) dlclose(library);
  return {};
}

}  // namespace tpl
