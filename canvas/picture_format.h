// The formats a picture is saved in, listed once: each with the extension
// that chooses it. The export (picture_export.h), the window's save dialog
// and dravel-render's options and checks of output names read this list.
#pragma once

#include <string_view>
#include <vector>

namespace dravel {

enum class PictureFormat { Png, Svg };

struct PictureFormatName {
  PictureFormat format;
  std::string_view extension;  // lower case, with its dot
};

// The first is the default.
inline constexpr PictureFormatName kPictureFormats[] = {
    {PictureFormat::Png, ".png"},
    {PictureFormat::Svg, ".svg"},
};

// Every format's extension, in the list's order.
inline std::vector<std::string_view> PictureExtensions() {
  std::vector<std::string_view> extensions;
  for (const PictureFormatName& name : kPictureFormats) extensions.push_back(name.extension);
  return extensions;
}

}  // namespace dravel
