#include "apps/dravel-render/render_font.h"

#include "canvas/bundled_font.h"
#include "interpreter/command_table.h"
#include "marking/teacher_words.h"

namespace dravel {

bool MayWriteText(std::string_view gbk_script) {
  const CommandRow& text = RowOf(CommandAction::kWriteText);
  return FindText(gbk_script, text.keyword) > 0 || FindText(gbk_script, text.alias, {}, true) > 0;
}

std::optional<TextMaskPainter> TextPainterFor(std::string_view gbk_script, std::string& refusal) {
  if (!MayWriteText(gbk_script)) return TextMaskPainter();
  if (BundledFace() == nullptr) {
    std::string places;
    for (const std::string& place : BundledFontPlaces())
      places += (places.empty() ? "" : ", ") + place;
    refusal = SaidText(Said::kNoTextFont, {places});
    return std::nullopt;
  }
  return BundledTextPainter();
}

}  // namespace dravel
