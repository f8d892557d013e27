// Reading the fields of a request's JSON body: texts trimmed, and scripts,
// which arrive as UTF-8, turned into the GBK bytes a script is kept in —
// refused, never mangled, when GBK cannot hold one of their characters.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "apps/dravel-hub/api/json_reply.h"

namespace dravel::hub {

// `text` without spaces, tabs and line breaks at either end.
std::string_view Trim(std::string_view text);

// The value of `key` in the query of `target` ("/x?encoding=gbk"), as sent
// (not percent-decoded: the hub's own values are plain words); nullopt when
// the query has no such key.
std::optional<std::string_view> QueryValue(std::string_view target, std::string_view key);

// body[key] trimmed when it is a string without a NUL; nullopt otherwise.
std::optional<std::string> TextField(const Json& body, const char* key);

// body[key] when a boolean, `fallback` when absent; nullopt for any other value.
std::optional<bool> FlagField(const Json& body, const char* key, bool fallback);

// The GBK bytes of `utf8`; nullopt when GBK cannot hold one of its
// characters, which *refusal then names.
std::optional<std::string> ScriptToGbk(std::string_view utf8, std::string* refusal);

// body[key] as a non-empty list of scripts in GBK; nullopt with *refusal
// set when it is not one.
std::optional<std::vector<std::string>> ReferencesField(const Json& body, const char* key,
                                                        std::string* refusal);

}  // namespace dravel::hub
