#pragma once
// Opens screens from their modules (see hostlib_qt/screen_host.h for the
// contract): the module of screen code XYZ is <directory>/xyz.so, loaded
// once on its first opening, whose Initialize runs right after loading and
// IniProc at every opening. unloadAll() runs the Finalize of every module,
// last loaded first, and only then unloads them.
//
// Toolkit-free; failures are ModuleError with the Portuguese text the
// operator sees. Not thread-safe: screens are opened on the UI thread.

#include <filesystem>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace ped::hostapp {

class ModuleError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ModuleLoader {
 public:
  explicit ModuleLoader(std::filesystem::path directory) : directory_(std::move(directory)) {}
  // Unloads whatever is still loaded (see unloadAll).
  ~ModuleLoader();
  ModuleLoader(const ModuleLoader&) = delete;
  ModuleLoader& operator=(const ModuleLoader&) = delete;

  // Opens screen `code` (as typed: it is normalized). A module whose entry
  // points are incomplete is unloaded again without any call; one that says
  // after Initialize that it is not ready is finalized and unloaded. Throws
  // ModuleError for a bad code, a missing or broken module, a screen that is
  // still being opened (an IniProc asking for its own screen), an entry point
  // that throws, and any opening after unloadAll has begun.
  void open(std::string_view code);

  // Runs the Finalize of every loaded module, last loaded first; no opening
  // is accepted afterwards. `beforeUnload` runs between the Finalize calls and
  // the unloading: the last chance to destroy objects whose code lives in the
  // modules. Returns the messages of entry points that failed (one module's
  // failure does not keep the others from finishing). Runs once; later calls
  // do nothing.
  std::vector<std::string> unloadAll(const std::function<void()>& beforeUnload = {});

  bool isLoaded(std::string_view code) const;
  const std::filesystem::path& directory() const { return directory_; }

 private:
  using EntryPoint = void (*)();
  using ReadyQuery = int (*)();
  struct Module {
    std::string code;
    void* handle = nullptr;
    EntryPoint initialize = nullptr, iniProc = nullptr, finalize = nullptr;
  };

  Module load(const std::string& code);

  std::filesystem::path directory_;
  std::vector<Module> modules_;  // in load order
  std::set<std::string> opening_;
  bool closed_ = false;
};

}  // namespace ped::hostapp
