#pragma once
// What the host knows of the session, as the screens ask for it: the logged-in
// operator, the current branch, whether a screen is bound to it, where the
// application server is, the product-code picture, and opening another screen.

#include <functional>
#include <string>
#include <string_view>

namespace ped::hostlib {

struct HostContext {
  std::string operador;      // logged-in operator's code
  std::string filiProc;      // current branch code
  std::string nomeFiliProc;  // current branch name
  bool moduFili = false;     // screens bound to the current branch
  std::string webURL = "127.0.0.1";
  int webPort = 8080;
  bool webTls = false;                           // HTTPS to the server
  std::string webCaFile;                         // its CA (PEM); empty: the system's store
  bool webInsecurePlainHttp = false;             // plain HTTP allowed to an address not loopback
  std::string sessionToken;                      // the operator's session on the application server
  std::string productPicture = "99.99.999;0;_";  // edit mask of product tree codes
};

// The picture object of a code: how many levels its mask has.
class PictureObject {
 public:
  explicit PictureObject(std::string mask) : mask_(std::move(mask)) {}
  // Levels are the groups of input positions between literals: "99.99.999"
  // has 3.
  int GetTtNiveis() const;
  const std::string& mask() const { return mask_; }

 private:
  std::string mask_;
};

class Vantora {
 public:
  using ScreenOpener = std::function<void(std::string_view screenCode, std::string_view parameter)>;
  Vantora(HostContext context, ScreenOpener openScreen)
      : context_(std::move(context)), open_(std::move(openScreen)) {}

  const std::string& Operador() const { return context_.operador; }
  const std::string& FiliProc() const { return context_.filiProc; }
  const std::string& NomeFiliProc() const { return context_.nomeFiliProc; }
  bool ModuFili() const { return context_.moduFili; }
  const std::string& WebURL() const { return context_.webURL; }
  int WebPort() const { return context_.webPort; }
  bool WebTls() const { return context_.webTls; }
  const std::string& WebCaFile() const { return context_.webCaFile; }
  bool WebInsecurePlainHttp() const { return context_.webInsecurePlainHttp; }
  // The session the host opened at log-in; screens' connections carry it.
  const std::string& SessionToken() const { return context_.sessionToken; }
  // Picture kind 0 is the product code; the host has no other kind (empty).
  std::string DBPict(int kind) const { return kind == 0 ? context_.productPicture : std::string(); }
  PictureObject DBPictObj(int kind) const { return PictureObject(DBPict(kind)); }
  // The operator now works on this branch: it becomes the current branch
  // and the host shows it. A screen bound to the host's branch cannot
  // change it.
  void SetFiliProc(std::string code, std::string name) {
    if (context_.moduFili) return;
    context_.filiProc = std::move(code);
    context_.nomeFiliProc = std::move(name);
    if (branchChanged_) branchChanged_(context_);
  }
  // The host's listener for SetFiliProc; replaces any earlier one.
  void onBranchChanged(std::function<void(const HostContext&)> listener) {
    branchChanged_ = std::move(listener);
  }

  // Asks the host to open another screen (it answers unknown codes itself).
  void LoadBPL(std::string_view screenCode, std::string_view parameter) const {
    if (open_) open_(screenCode, parameter);
  }

  HostContext& context() { return context_; }

 private:
  HostContext context_;
  ScreenOpener open_;
  std::function<void(const HostContext&)> branchChanged_;
};

}  // namespace ped::hostlib
