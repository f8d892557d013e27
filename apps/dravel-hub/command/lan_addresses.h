// The addresses pupils can reach this machine at: each IPv4 address of an
// interface that is up, loopback left out. Plain C++ over getifaddrs.
#pragma once

#include <string>
#include <vector>

namespace dravel::hub {

// Dotted addresses in the interfaces' order; empty when there is none or the
// list cannot be read.
std::vector<std::string> LanAddresses();

}  // namespace dravel::hub
