// A simulated web: the answers of a few addresses, served in pieces, with
// the faults a download must survive.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/Http.h"

namespace platform::sim {

class SimHttp : public Http {
 public:
  struct Answer {
    int status = 200;
    std::string body;
    long error = 0;           // the connection fails with this instead
    size_t breakAfter = 0;    // the connection breaks after this many bytes (0: never)
    bool tellsLength = true;  // the server sends Content-Length
  };
  HttpResult Get(const std::string& url, size_t maxBytes, const std::function<bool(uint64_t, uint64_t)>& progress,
                 std::string* body) override;

  std::map<std::string, Answer> answers;  // by address; any other is a host not found
  size_t pieceBytes = 64 * 1024;
  std::vector<std::string> requests;  // every address asked for, in order
};

}  // namespace platform::sim
