#include "platform/Socket.h"

#include <utility>

namespace kestrap {

namespace {

class WebDialer final : public Dialer {
public:
    Connection Dial(std::string_view host, std::uint16_t port, std::chrono::milliseconds limit,
                    std::stop_token abandon) const override {
        return ConnectTcp(host, port, limit, std::move(abandon));
    }
};

}  // namespace

const Dialer& DefaultDialer() {
    static const WebDialer dialer;
    return dialer;
}

}  // namespace kestrap
