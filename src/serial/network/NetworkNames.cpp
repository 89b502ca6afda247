#include "serial/network/NetworkNames.h"

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

std::optional<NetworkAddress> ParseNetworkName(const std::string& name, AddressProblem* problem)
{
    AddressProblem local = AddressProblem::kNone;
    AddressProblem& found = problem != nullptr ? *problem : local;
    found = AddressProblem::kNone;
    NetworkAddress a;
    const std::size_t start = SchemeLength(name, &a.telnet);
    if (start == 0) {
        return std::nullopt;
    }
    const std::string rest = name.substr(start, name.find_first_of("?/", start) - start);
    std::size_t colon = std::string::npos;
    if (!rest.empty() && rest.front() == '[') {
        const std::size_t close = rest.find(']');
        if (close == std::string::npos) {
            found = AddressProblem::kNoPort;
            return std::nullopt;
        }
        a.host = rest.substr(1, close - 1);
        colon = rest.size() > close + 1 && rest[close + 1] == ':' ? close + 1 : std::string::npos;
    } else {
        colon = rest.rfind(':');
        a.host = rest.substr(0, colon);
    }
    if (a.host.empty()) {
        found = AddressProblem::kNoHost;
        return std::nullopt;
    }
    if (colon == std::string::npos || colon + 1 == rest.size()) {
        found = AddressProblem::kNoPort;
        return std::nullopt;
    }
    unsigned long port = 0;
    for (std::size_t i = colon + 1; i < rest.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(rest[i])) || port > 65535) {
            found = AddressProblem::kBadPort;
            return std::nullopt;
        }
        port = port * 10 + static_cast<unsigned long>(rest[i] - '0');
    }
    if (port == 0 || port > 65535) {
        found = AddressProblem::kBadPort;
        return std::nullopt;
    }
    a.port = static_cast<std::uint16_t>(port);
    return a;
}

} // namespace zorva::serial
