#include "platform/Https.h"

namespace kestrap {

namespace {

// Native builds serve the tests; https is left to the Windows build.
class NoHttps final : public HttpsClient {
public:
    std::string Get(const HttpsRequest&) const override { return {}; }
};

}  // namespace

const HttpsClient& SystemHttps() {
    static const NoHttps client;
    return client;
}

}  // namespace kestrap
