#include "serial/NetworkNames.h"

#include <cctype>

namespace zorva::serial {
namespace {

// The length of the scheme with its "://", 0 when there is none of ours; *telnet tells which.
std::size_t SchemeLength(const std::string& name, bool* telnet)
{
    static constexpr struct {
        const char* scheme;
        bool telnet;
    } kSchemes[] = {{"tcp://", false}, {"socket://", false}, {"rfc2217://", true}};
    for (const auto& s : kSchemes) {
        const std::string scheme = s.scheme;
        if (name.size() < scheme.size()) {
            continue;
        }
        bool same = true;
        for (std::size_t i = 0; i < scheme.size() && same; ++i) {
            same = std::tolower(static_cast<unsigned char>(name[i])) == scheme[i];
        }
        if (same) {
            *telnet = s.telnet;
            return scheme.size();
        }
    }
    return 0;
}

} // namespace

bool IsNetworkName(const std::string& name)
{
    bool telnet = false;
    return SchemeLength(name, &telnet) != 0;
}

std::optional<NetworkAddress> ParseNetworkName(const std::string& name)
{
    NetworkAddress a;
    const std::size_t start = SchemeLength(name, &a.telnet);
    if (start == 0) {
        return std::nullopt;
    }
    std::string rest = name.substr(start, name.find_first_of("?/", start) - start);
    const std::size_t colon = rest.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == rest.size()) {
        return std::nullopt;
    }
    a.host = rest.substr(0, colon);
    if (a.host.front() == '[' && a.host.back() == ']') {
        a.host = a.host.substr(1, a.host.size() - 2);
    }
    unsigned long port = 0;
    for (std::size_t i = colon + 1; i < rest.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(rest[i])) || port > 65535) {
            return std::nullopt;
        }
        port = port * 10 + static_cast<unsigned long>(rest[i] - '0');
    }
    if (a.host.empty() || port == 0 || port > 65535) {
        return std::nullopt;
    }
    a.port = static_cast<std::uint16_t>(port);
    return a;
}

} // namespace zorva::serial
