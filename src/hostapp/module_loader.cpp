#include "hostapp/module_loader.h"

#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <exception>
#include <system_error>

#include "engine/scope_exit.h"
#include "hostapp/screen_code.h"

namespace ped::hostapp {
namespace {

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Entry points are C functions, but one compiled as C++ can still let an
// exception out; it stops here, as a message.
void call(void (*entry)(), const std::string& code, const char* name) {
  try {
    entry();
  } catch (const std::exception& e) {
    throw ModuleError("Tela " + code + ": erro em " + name + ": " + e.what());
  } catch (...) {
    throw ModuleError("Tela " + code + ": erro em " + name + ".");
  }
}

}  // namespace

ModuleLoader::~ModuleLoader() { unloadAll(); }

bool ModuleLoader::isLoaded(std::string_view code) const {
  const auto normalized = normalizeScreenCode(code);
  return normalized && std::any_of(modules_.begin(), modules_.end(),
                                   [&](const Module& m) { return m.code == *normalized; });
}

ModuleLoader::Module ModuleLoader::load(const std::string& code) {
  const std::filesystem::path file = directory_ / (lower(code) + ".so");
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec))
    throw ModuleError("Tela " + code + " não disponível nesta instalação.");
  Module m{code, ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL)};
  if (m.handle == nullptr) {
    const char* why = ::dlerror();
    throw ModuleError("Tela " + code + " não pôde ser carregada" + (why ? std::string(": ") + why : "") +
                      ".");
  }
  const std::pair<const char*, EntryPoint*> entries[] = {
      {"Initialize", &m.initialize}, {"IniProc", &m.iniProc}, {"Finalize", &m.finalize}};
  for (const auto& [name, slot] : entries) {
    *slot = reinterpret_cast<EntryPoint>(::dlsym(m.handle, name));
    if (*slot == nullptr) {
      ::dlclose(m.handle);
      throw ModuleError("Tela " + code + " inválida: falta a função " + name + ".");
    }
  }
  {
    // Half initialized, it cannot be finalized safely either; leave it as
    // if never loaded.
    const engine::OnFailure unload{[&m] { ::dlclose(m.handle); }};
    call(m.initialize, code, "Initialize");
  }
  return m;
}

void ModuleLoader::open(std::string_view typed) {
  const auto code = normalizeScreenCode(typed);
  if (!code) throw ModuleError("Código de tela inválido: \"" + std::string(typed) + "\".");
  if (closed_) throw ModuleError("A aplicação está sendo encerrada: a tela " + *code + " não será aberta.");
  if (opening_.count(*code) != 0) throw ModuleError("A tela " + *code + " já está sendo aberta.");
  opening_.insert(*code);
  const engine::ScopeExit done{[&] { opening_.erase(*code); }};

  auto it = std::find_if(modules_.begin(), modules_.end(), [&](const Module& m) { return m.code == *code; });
  // Copied out: an IniProc that opens another screen may grow modules_.
  const EntryPoint iniProc = it != modules_.end() ? it->iniProc : modules_.emplace_back(load(*code)).iniProc;
  call(iniProc, *code, "IniProc");
}

std::vector<std::string> ModuleLoader::unloadAll(const std::function<void()>& beforeUnload) {
  std::vector<std::string> failures;
  if (closed_) return failures;
  closed_ = true;
  for (auto it = modules_.rbegin(); it != modules_.rend(); ++it) {
    try {
      call(it->finalize, it->code, "Finalize");
    } catch (const ModuleError& e) {
      failures.emplace_back(e.what());
    }
  }
  if (beforeUnload) beforeUnload();
  for (auto it = modules_.rbegin(); it != modules_.rend(); ++it) ::dlclose(it->handle);
  modules_.clear();
  return failures;
}

}  // namespace ped::hostapp
