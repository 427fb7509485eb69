// The simulated web.
#include "platform/sim/SimHttp.h"

#include <algorithm>

namespace platform::sim {

namespace {
// ERROR_WINHTTP_NAME_NOT_RESOLVED and ERROR_WINHTTP_CONNECTION_ERROR.
constexpr long kNameNotResolved = 12007;
constexpr long kConnectionError = 12030;
}  // namespace

HttpResult SimHttp::Get(const std::string& url, size_t maxBytes,
                        const std::function<bool(uint64_t, uint64_t)>& progress, std::string* body) {
  requests.push_back(url);
  body->clear();
  HttpResult result;
  auto it = answers.find(url);
  if (it == answers.end()) {
    result.error = kNameNotResolved;
    return result;
  }
  const Answer& answer = it->second;
  if (answer.error) {
    result.error = answer.error;
    return result;
  }
  result.status = answer.status;
  const uint64_t total = answer.tellsLength ? answer.body.size() : 0;
  for (size_t at = 0; at < answer.body.size();) {
    if (answer.breakAfter && at >= answer.breakAfter) {
      result.error = kConnectionError;
      return result;
    }
    const size_t piece = std::min(pieceBytes, answer.body.size() - at);
    if (body->size() + piece > maxBytes) {
      result.tooLarge = true;
      return result;
    }
    body->append(answer.body, at, piece);
    at += piece;
    if (progress && !progress(body->size(), total)) {
      result.cancelled = true;
      return result;
    }
  }
  return result;
}

}  // namespace platform::sim
