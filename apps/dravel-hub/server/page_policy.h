// What the server says about a file it serves: its Content-Type, from the
// name's extension, and for an HTML page the Content-Security-Policy that
// lets it load from this server alone (its own inline scripts by their
// SHA-256, the WebAssembly module, workers from blobs it makes).
#pragma once

#include <string>
#include <string_view>

namespace dravel::hub {

// "text/html; charset=utf-8", "application/wasm", ...;
// "application/octet-stream" for an extension not known.
std::string_view ContentTypeOf(std::string_view file_name);

// The policy for the HTML page `html`: every inline <script> in it allowed by
// its hash, nothing from another origin.
std::string PagePolicy(std::string_view html);

}  // namespace dravel::hub
