#include "facade/LocalAddress.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/host_name.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <iostream>

#include "facade/AddressText.h"

namespace Movoda::facade {

std::string localIpv4Address() {
    std::string chosen = kNoLocalAddress;
    try {
        boost::asio::io_context io;
        boost::asio::ip::tcp::resolver resolver(io);
        boost::system::error_code ec;
        const auto results = resolver.resolve(boost::asio::ip::host_name(), "", ec);
        if (ec) return chosen;
        for (const auto& entry : results) {
            const auto address = entry.endpoint().address();
            if (!address.is_v4()) continue;
            const std::string text = address.to_string();
            if (!isValidIpv4Text(text) || text.rfind("127.", 0) == 0) continue;
            std::cout << text << std::endl;
            chosen = text;
        }
    } catch (const std::exception&) {
        // No usable host name: the camera is told 0.0.0.0 and answers to the peer.
    }
    return chosen;
}

}  // namespace Movoda::facade
