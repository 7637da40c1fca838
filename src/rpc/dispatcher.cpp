#include "rpc/dispatcher.h"

#include <simdjson.h>

#include <algorithm>
#include <charconv>
#include <exception>
#include <stdexcept>

#include "rpc/json_writer.h"

namespace ped::rpc {
namespace {

using simdjson::dom::element;
using simdjson::dom::element_type;

// Requests are a few levels deep (batch, request, params, packet, rows, row,
// cell); anything far deeper is an attack or a bug, refused before any
// recursion can touch it.
constexpr std::size_t kMaxDepth = 64;
// Bodies up to this size reuse the thread's parser; larger ones get a parser
// of their own that is freed afterwards, so a rare large packet does not pin
// its buffers on every server thread.
constexpr std::size_t kCachedParserLimit = 64 * 1024;

constexpr std::string_view kNotAuthenticatedMessage = "Sessão inválida ou expirada. Entre novamente.";
constexpr std::string_view kInternalMessage =
    "Erro interno no servidor de aplicação. A ocorrência foi registrada; tente novamente.";

simdjson::dom::parser makeParser(std::size_t capacity) {
  simdjson::dom::parser parser;
  // An allocation failure here surfaces again, as MEMALLOC, at parse time.
  [[maybe_unused]] auto error = parser.allocate(capacity, kMaxDepth);
  return parser;
}

std::string parseErrorMessage(simdjson::error_code error) {
  switch (error) {
    case simdjson::DEPTH_ERROR: {
      std::string message = "Requisição JSON com aninhamento profundo demais (máximo de ";
      message += std::to_string(kMaxDepth);
      message += " níveis).";
      return message;
    }
    case simdjson::UTF8_ERROR:
      return "Requisição com texto em UTF-8 inválido.";
    case simdjson::MEMALLOC:
      return "Requisição grande demais para a memória disponível.";
    default:
      return "Requisição JSON malformada.";
  }
}

bool fits64Bits(std::string_view digits) {
  const char* first = digits.data();
  const char* last = first + digits.size();
  if (digits.front() == '-') {
    std::int64_t v = 0;
    return std::from_chars(first, last, v).ec == std::errc();
  }
  std::uint64_t v = 0;
  return std::from_chars(first, last, v).ec == std::errc();
}

// The body with every integer too big for 64 bits written as a number with
// an exponent, which the parser reads as a double: valid JSON is then never
// a parse error, and such a number reaches a parameter check that names it.
std::string withBigIntegersAsNumbers(std::string_view body) {
  std::string out;
  out.reserve(body.size() + 16);
  bool inText = false;
  for (std::size_t i = 0; i < body.size();) {
    const char c = body[i];
    if (inText) {
      out.push_back(c);
      if (c == '\\' && i + 1 < body.size())
        out.push_back(body[++i]);
      else if (c == '"')
        inText = false;
      ++i;
      continue;
    }
    if (c == '"') inText = true;
    if (c != '-' && (c < '0' || c > '9')) {
      out.push_back(c);
      ++i;
      continue;
    }
    std::size_t end = i + 1;
    while (end < body.size() && body[end] >= '0' && body[end] <= '9') ++end;
    out.append(body.substr(i, end - i));
    const bool fraction = end < body.size() && (body[end] == '.' || body[end] == 'e' || body[end] == 'E');
    if (!fraction && end - i > 18 && !fits64Bits(body.substr(i, end - i))) out += "e0";
    i = end;
  }
  return out;
}

std::string countOfParameters(int n) { return std::to_string(n) + (n == 1 ? " parâmetro" : " parâmetros"); }

// The failure of one request, before or during its call.
struct Failure {
  int code;
  std::string message;
  std::string internalDetail;
};

Failure invalidRequest(std::string_view why) {
  std::string message = "Requisição JSON-RPC inválida: ";
  message += why;
  return {error_code::kInvalidRequest, std::move(message), {}};
}

// Writes the id member the response echoes; false when the id has a type
// JSON-RPC does not allow.
bool writeId(JsonWriter& w, element id) {
  switch (id.type()) {
    case element_type::INT64:
      w.integer(id.get_int64().value_unsafe());
      return true;
    case element_type::UINT64:
      w.raw(std::to_string(id.get_uint64().value_unsafe()));
      return true;
    case element_type::DOUBLE:
      w.number(id.get_double().value_unsafe());
      return true;
    case element_type::STRING:
      w.string(id.get_string().value_unsafe());
      return true;
    case element_type::NULL_VALUE:
      w.null();
      return true;
    default:
      return false;
  }
}

std::string errorResponse(std::string_view idJson, int code, std::string_view message) {
  JsonWriter w(96 + message.size());
  w.beginObject().key("jsonrpc").string("2.0").key("id").raw(idJson).key("error").beginObject();
  w.key("code").integer(code).key("message");
  try {
    w.string(message);
  } catch (const JsonWriteError&) {
    w.string(kInternalMessage);
  }
  w.endObject().endObject();
  return w.take();
}

std::string resultResponse(std::string_view idJson, std::string_view result) {
  std::string out;
  out.reserve(36 + idJson.size() + result.size());
  out.append(R"({"jsonrpc":"2.0","id":)")
      .append(idJson)
      .append(R"(,"result":)")
      .append(result)
      .push_back('}');
  return out;
}

ParamValue toParam(element e) {
  ParamValue p;
  switch (e.type()) {
    case element_type::NULL_VALUE:
      break;
    case element_type::STRING:
      p.kind = ParamValue::Kind::Text;
      p.text = e.get_string().value_unsafe();
      break;
    case element_type::INT64:
      p.kind = ParamValue::Kind::Integer;
      p.integer = e.get_int64().value_unsafe();
      break;
    case element_type::UINT64:
      // Past int64: no integer parameter can hold it, so it stays a number.
      p.kind = ParamValue::Kind::Float;
      p.number = static_cast<double>(e.get_uint64().value_unsafe());
      break;
    case element_type::DOUBLE:
      p.kind = ParamValue::Kind::Float;
      p.number = e.get_double().value_unsafe();
      break;
    case element_type::BOOL:
      p.kind = ParamValue::Kind::Boolean;
      p.boolean = e.get_bool().value_unsafe();
      break;
    case element_type::OBJECT:
      p.kind = ParamValue::Kind::Object;
      p.json = simdjson::minify(e);
      break;
    case element_type::ARRAY:
      p.kind = ParamValue::Kind::Array;
      p.json = simdjson::minify(e);
      break;
  }
  return p;
}

}  // namespace

// Handles the requests of one body, reporting each to the sink.
class RequestHandler {
 public:
  RequestHandler(const Dispatcher& dispatcher, const RequestContext& context)
      : d_(dispatcher), context_(context) {}

  std::string handleBody(std::string_view body) {
    std::optional<simdjson::dom::parser> own;
    simdjson::dom::parser* parser;
    if (body.size() <= kCachedParserLimit) {
      thread_local simdjson::dom::parser cached = makeParser(kCachedParserLimit);
      parser = &cached;
    } else {
      own.emplace(makeParser(body.size()));
      parser = &*own;
    }
    element root;
    auto error = parser->parse(body.data(), body.size()).get(root);
    std::string rewritten;
    if (error == simdjson::NUMBER_ERROR) {
      rewritten = withBigIntegersAsNumbers(body);
      if (rewritten.size() > kCachedParserLimit && !own) {
        own.emplace(makeParser(rewritten.size()));
        parser = &*own;
      }
      error = parser->parse(rewritten.data(), rewritten.size()).get(root);
    }
    if (error) {
      const std::string message = parseErrorMessage(error);
      report({}, {}, error_code::kParseError, {}, std::chrono::steady_clock::now());
      return errorResponse("null", error_code::kParseError, message);
    }
    if (!root.is_array()) return handleRequest(root);

    simdjson::dom::array batch = root.get_array().value_unsafe();
    if (batch.size() == 0) return refuseBatch(invalidRequest("o lote de requisições está vazio."));
    // A batch multiplies what one request costs: it is bounded, and only a
    // live session may send one, checked once for the whole batch.
    if (batch.size() > d_.limits_.maxBatchCalls) {
      std::string why = "o lote passa do máximo de ";
      why += std::to_string(d_.limits_.maxBatchCalls);
      why += " chamadas.";
      return refuseBatch(invalidRequest(why));
    }
    if (auto refused = resolveBatchSession()) return refuseBatch(*refused);
    inBatch_ = true;
    std::string out = "[";
    for (element request : batch) {
      answerFull_ = out.size() > d_.limits_.maxAnswerBytes;
      std::string response = handleRequest(request);
      if (response.empty()) continue;
      if (out.size() > 1) out.push_back(',');
      out += response;
    }
    if (out.size() == 1) return {};
    out.push_back(']');
    return out;
  }

 private:
  std::string handleRequest(element request) {
    const auto start = std::chrono::steady_clock::now();
    std::string idJson = "null";
    std::string_view methodName;
    std::optional<Session> session;
    std::string publicOperator;  // named by a public method for its log line
    bool notification = false;
    auto loggedOperator = [&] {
      return session ? std::string_view(session->operatorCode) : std::string_view(publicOperator);
    };

    auto fail = [&](const Failure& f) -> std::string {
      report(methodName, loggedOperator(), f.code, f.internalDetail, start);
      return notification ? std::string() : errorResponse(idJson, f.code, f.message);
    };

    if (!request.is_object()) return fail(invalidRequest("esperado um objeto."));
    simdjson::dom::object fields = request.get_object().value_unsafe();

    element id;
    if (fields["id"].get(id) == simdjson::SUCCESS) {
      JsonWriter w;
      if (!writeId(w, id)) return fail(invalidRequest("o campo \"id\" deve ser número, texto ou null."));
      idJson = w.take();
    } else {
      notification = true;
    }

    std::string_view version;
    if (fields["jsonrpc"].get(version) != simdjson::SUCCESS || version != "2.0") {
      notification = false;  // an invalid request is always answered
      return fail(invalidRequest("o campo \"jsonrpc\" deve ser \"2.0\"."));
    }
    if (fields["method"].get(methodName) != simdjson::SUCCESS) {
      notification = false;
      return fail(invalidRequest("o campo \"method\" falta ou não é texto."));
    }

    simdjson::dom::array params;  // only valid when hasParams
    bool hasParams = false;
    element paramsElement;
    if (fields["params"].get(paramsElement) == simdjson::SUCCESS) {
      if (paramsElement.is_object()) {
        std::string message = "O método ";
        message += methodName;
        message += " recebe os parâmetros por posição, numa lista.";
        return fail({error_code::kInvalidParams, std::move(message), {}});
      }
      if (paramsElement.get_array().get(params) != simdjson::SUCCESS) {
        notification = false;
        return fail(invalidRequest("o campo \"params\" deve ser uma lista."));
      }
      hasParams = true;
    }

    auto found = d_.methods_.find(methodName);
    if (found == d_.methods_.end()) {
      std::string message = "Método desconhecido: ";
      message += methodName;
      message += '.';
      return fail({error_code::kMethodNotFound, std::move(message), {}});
    }
    const Dispatcher::Method& method = found->second;

    if (inBatch_ && method.access == Access::Public) {
      std::string message = "O método ";
      message += methodName;
      message += " deve ser chamado sozinho, fora de um lote.";
      return fail({error_code::kInvalidRequest, std::move(message), {}});
    }
    if (answerFull_) {
      std::string message = "Chamada ";
      message += methodName;
      message += " não executada: a resposta do lote passaria do limite do servidor de aplicação.";
      return fail({error_code::kMethodFailed, std::move(message), {}});
    }

    if (inBatch_) {
      session = batchSession_;
    } else if (method.access == Access::Session) {
      if (!context_.bearerToken || context_.bearerToken->empty())
        return fail({error_code::kNotAuthenticated, std::string(kNotAuthenticatedMessage), {}});
      try {
        session = d_.sessions_.resolve(*context_.bearerToken);
      } catch (const std::exception& e) {
        return fail({error_code::kInternalError, std::string(kInternalMessage), e.what()});
      } catch (...) {
        return fail({error_code::kInternalError, std::string(kInternalMessage), "session resolver threw"});
      }
      if (!session) return fail({error_code::kNotAuthenticated, std::string(kNotAuthenticatedMessage), {}});
    }

    const std::size_t count = hasParams ? params.size() : 0;
    if (count != static_cast<std::size_t>(method.arity)) {
      std::string message = "O método ";
      message += methodName;
      message += " espera ";
      message += countOfParameters(method.arity);
      message += "; recebeu ";
      message += std::to_string(count);
      message += '.';
      return fail({error_code::kInvalidParams, std::move(message), {}});
    }

    std::vector<ParamValue> values;
    values.reserve(count);
    if (hasParams)
      for (element e : params) values.push_back(toParam(e));
    const Params typed(methodName, std::move(values));
    const CallContext call{methodName, session ? &*session : nullptr, &context_, &publicOperator};

    std::string result;
    try {
      result = method.handler(call, typed);
    } catch (const MethodError& e) {
      std::string message = e.what();
      if (message.empty()) {
        message = "O método ";
        message += methodName;
        message += " falhou sem dizer o motivo.";
      }
      return fail({e.code(), std::move(message), {}});
    } catch (const std::exception& e) {
      return fail({error_code::kInternalError, std::string(kInternalMessage), e.what()});
    } catch (...) {
      return fail({error_code::kInternalError, std::string(kInternalMessage), "non-standard exception"});
    }
    if (result.empty())
      return fail({error_code::kInternalError, std::string(kInternalMessage), "method returned no JSON"});
    if (result.size() > d_.limits_.maxAnswerBytes) {
      std::string message = "A resposta de ";
      message += methodName;
      message += " passaria do limite de ";
      message += std::to_string(d_.limits_.maxAnswerBytes / (1024 * 1024));
      message += " MiB do servidor de aplicação. Restrinja a consulta.";
      return fail({error_code::kMethodFailed, std::move(message), {}});
    }

    report(methodName, loggedOperator(), 0, {}, start);
    return notification ? std::string() : resultResponse(idJson, result);
  }

  // One answer and one log line for a batch refused whole.
  std::string refuseBatch(const Failure& f) {
    report({}, {}, f.code, f.internalDetail, std::chrono::steady_clock::now());
    return errorResponse("null", f.code, f.message);
  }

  // Resolves the bearer token once for a whole batch; the failure when the
  // batch may not run.
  std::optional<Failure> resolveBatchSession() {
    const Failure refused{error_code::kNotAuthenticated, std::string(kNotAuthenticatedMessage), {}};
    if (!context_.bearerToken || context_.bearerToken->empty()) return refused;
    try {
      batchSession_ = d_.sessions_.resolve(*context_.bearerToken);
    } catch (const std::exception& e) {
      return Failure{error_code::kInternalError, std::string(kInternalMessage), e.what()};
    } catch (...) {
      return Failure{error_code::kInternalError, std::string(kInternalMessage), "session resolver threw"};
    }
    if (!batchSession_) return refused;
    return std::nullopt;
  }

  void report(std::string_view method, std::string_view operatorCode, int code, std::string_view detail,
              std::chrono::steady_clock::time_point start) const {
    if (!d_.sink_) return;
    CallRecord record;
    record.method = method;
    record.operatorCode = operatorCode;
    record.peer = context_.peer;
    record.duration =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    record.errorCode = code;
    record.internalDetail = detail;
    try {
      d_.sink_(record);
    } catch (...) {
      // A failing log must not turn a served call into an error.
    }
  }

  const Dispatcher& d_;
  const RequestContext& context_;
  bool inBatch_ = false;
  bool answerFull_ = false;              // the batch's answer reached the limit
  std::optional<Session> batchSession_;  // resolved once per batch
};

void Dispatcher::add(std::string name, int arity, MethodHandler handler, Access access) {
  if (arity < 0 || methods_.contains(name)) {
    std::string message = arity < 0 ? "negative arity for method " : "method registered twice: ";
    message += name;
    throw std::invalid_argument(message);
  }
  methods_.emplace(std::move(name), Method{arity, access, std::move(handler)});
}

std::vector<std::string> Dispatcher::methodNames() const {
  std::vector<std::string> names;
  names.reserve(methods_.size());
  for (const auto& [name, method] : methods_) names.push_back(name);
  std::sort(names.begin(), names.end());
  return names;
}

std::string Dispatcher::handle(std::string_view body, const RequestContext& context) const {
  try {
    return RequestHandler(*this, context).handleBody(body);
  } catch (const std::exception&) {
    // Only allocation can fail out here; answer without allocating much.
    return errorResponse("null", error_code::kInternalError, kInternalMessage);
  }
}

}  // namespace ped::rpc
