// The values of dravel-render's options as the command line gives them,
// each read into RenderOptions by a function of the option table's
// (render_options.cpp): sizes, modes, encodings, counts and the timeout,
// each refused (false) when it is not one the option takes; and each written
// back as text the same function reads to the same value. Plain C++.
#pragma once

#include <string>
#include <string_view>

#include "apps/dravel-render/render_options.h"

namespace dravel {

inline constexpr int kMaxSide = 8192;  // keeps the two layers within memory

bool ParseSize(std::string_view text, RenderOptions& options);
bool ParseEdge(std::string_view text, RenderOptions& options);
bool ParseEncoding(std::string_view text, RenderOptions& options);
bool ParseFormat(std::string_view text, RenderOptions& options);
bool ParseMatch(std::string_view text, RenderOptions& options);
bool ParseSort(std::string_view text, RenderOptions& options);
bool ParseTimeout(std::string_view text, RenderOptions& options);
bool ParseJobs(std::string_view text, RenderOptions& options);
bool ParsePenWidth(std::string_view text, RenderOptions& options);
bool ParseMemoryLimit(std::string_view text, RenderOptions& options);

// Texts the functions above read back to the values given.
std::string SizeText(int width, int height);
std::string_view EdgeText(EdgeMode mode);
std::string_view EncodingText(ScriptEncoding encoding);
std::string_view MatchText(MatchMode mode);
std::string TimeoutText(double seconds);

}  // namespace dravel
