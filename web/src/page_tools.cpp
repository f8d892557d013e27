// What the page asks the module beside runs: the checker's findings in the
// page's own columns, the command rows for the reference and the editor's
// colours, the script line a hint message names, and pictures of scripts
// (the examples, the reference's lines) drawn on a canvas of their own. The
// page's texts come as UTF-8; answers go back through the functions
// page/worker.js gives the module (Module.onFinding and the rest).
#include <emscripten.h>

#include <chrono>
#include <memory>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <vector>

#include "web/src/page_tools.h"

#include "canvas/picture_crop.h"
#include "interpreter/command_list.h"
#include "interpreter/command_table.h"
#include "interpreter/example_scene.h"
#include "interpreter/message_line.h"
#include "interpreter/run_script.h"
#include "interpreter/script_checker.h"
#include "interpreter/silent_host.h"
#include "runtime/gbk_codec.h"
#include "web/src/page_text.h"
#include "web/src/web_canvas.h"

namespace dravel {
namespace {

// The bodies are JavaScript, which clang-format would mangle.
// clang-format off
EM_JS(void, PostFinding, (int line, int from, int to, const char* message, int message_size,
                          const char* fixed, int fixed_size), {
  const text = (at, size) => new TextDecoder().decode(HEAPU8.subarray(at, at + size));
  Module.onFinding(line, from, to, text(message, message_size),
                   fixed_size < 0 ? null : text(fixed, fixed_size));
});
EM_JS(void, PostCommand, (const char* fields, int size), {
  Module.onCommand(new TextDecoder().decode(HEAPU8.subarray(fields, fields + size)).split(String.fromCharCode(0)));
});
EM_JS(void, PostPicture, (const uint32_t* pixels, int width, int height, double ratio), {
  Module.onPicture(HEAPU8.slice(pixels, pixels + width * height * 4), width, height, ratio);
});
EM_JS(void, PostPicturePng, (const char* png, int size, double ratio), {
  Module.onPng(HEAPU8.slice(png, png + size), ratio);
});
// clang-format on

// One line of the page's text (UTF-8) as the run reads it: GBK, with '?' for
// what GBK cannot hold (noted in `lost`) and kept bytes as their bytes; and
// for each of its byte offsets (and its end) the column in the page's line,
// in UTF-16 units, and the offset in the UTF-8 line.
struct PageLine {
  std::string_view utf8;
  Text gbk;
  std::vector<int> columns;
  std::vector<uint32_t> utf8_offsets;
  std::vector<LostCharacter> lost;
};

size_t Utf8Length(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  return lead >= 0xC0 ? 2 : 1;
}

PageLine ReadPageLine(std::string_view utf8) {
  PageLine line{.utf8 = utf8};
  int column = 0;
  for (size_t at = 0; at < utf8.size();) {
    const size_t length =
        std::min(Utf8Length(static_cast<unsigned char>(utf8[at])), utf8.size() - at);
    std::vector<LostCharacter> lost;
    const Text gbk = Utf8ToGbk(utf8.substr(at, length), lost, UndecodableBytes::kKeep);
    for (LostCharacter& character : lost) {
      character.at += line.gbk.size();
      line.lost.push_back(std::move(character));
    }
    line.gbk += gbk;
    line.columns.insert(line.columns.end(), gbk.size(), column);
    line.utf8_offsets.insert(line.utf8_offsets.end(), gbk.size(), uint32_t(at));
    column += length == 4 ? 2 : 1;
    at += length;
  }
  line.columns.push_back(column);
  line.utf8_offsets.push_back(uint32_t(utf8.size()));
  return line;
}

// The page's line with `fix` made: only the fix's own characters change, so
// a character GBK cannot hold elsewhere in the line stays as typed.
std::string FixedPageLine(const PageLine& line, const LineEdit& fix) {
  return std::string(line.utf8.substr(0, line.utf8_offsets[size_t(fix.begin)])) +
         GbkToUtf8(fix.with, UndecodableBytes::kKeep) +
         std::string(line.utf8.substr(line.utf8_offsets[size_t(fix.end)]));
}

// UTF-16 units of `utf8`.
int Utf16Length(std::string_view utf8) {
  int units = 0;
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) != 0x80) units += byte >= 0xF0 ? 2 : 1;
  }
  return units;
}

// The page's lines, cut at LF as the editor keeps them.
std::vector<std::string_view> PageLines(std::string_view text) {
  std::vector<std::string_view> lines;
  for (size_t start = 0;;) {
    const size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return lines;
    start = end + 1;
  }
}

// The page's text (UTF-8, LF line ends) as the run reads it.
Text ScriptOf(std::string_view utf8) {
  Text script;
  for (const std::string_view line : PageLines(utf8)) script += ReadPageLine(line).gbk + "\r\n";
  return script;
}

// A picture's run sets its text in the page's font, fetched as for a run.
class PictureHost final : public SilentHost {
 public:
  using SilentHost::SilentHost;
  void PrepareText(const std::stop_token&) override { FetchPageTextFont(); }
};

// A canvas after `script` has run once: see dravel_picture.
std::unique_ptr<Canvas> PictureOf(const Text& script) {
  std::unique_ptr<Canvas> picture = WebCanvas(kCanvasWidth, kCanvasHeight, EdgeMode::Wrap);
  if (!picture) return nullptr;
  picture->SetTextPainter(PaintPageText);
  const auto deadline = std::chrono::steady_clock::now() + kLongestPictureRun;
  std::stop_source stop;
  picture->SetCheckpoint([&stop, deadline] {
    if (std::chrono::steady_clock::now() > deadline) stop.request_stop();
    return !stop.stop_requested();
  });
  PictureHost host(script);
  RunContext context{picture->Turtle(), host, stop.get_token()};
  context.keep_delays = false;
  RunScript({script, "1"}, context);
  picture->SetCheckpoint({});
  return picture;
}

}  // namespace

std::optional<ByteRange> BodyItemColumns(std::string_view gbk_script, int script_line,
                                         int body_item) {
  const CommandList lines = SplitLines(gbk_script);
  if (script_line < 1 || size_t(script_line) > lines.size()) return std::nullopt;
  const std::string_view line = lines[size_t(script_line - 1)];
  const std::optional<ByteRange> bytes = BodyItemRange(line, body_item);
  if (!bytes) return std::nullopt;
  const auto column = [line](int offset) {
    return Utf16Length(GbkToUtf8(line.substr(0, size_t(offset)), UndecodableBytes::kKeep));
  };
  return ByteRange{column(bytes->begin), column(bytes->end)};
}

}  // namespace dravel

using namespace dravel;

extern "C" {

// The checker's findings of the page's text (UTF-8, LF line ends), as the
// desktop's editor marks them: the line (1-based), the columns marked (a
// finding between characters marks the one before), the message and the
// line rewritten, or no fix.
EMSCRIPTEN_KEEPALIVE void dravel_check(const char* utf8, int size) {
  std::vector<PageLine> lines;
  std::vector<LostInLine> lost;
  Text script;
  for (const std::string_view text : PageLines(std::string_view(utf8, size_t(size)))) {
    lines.push_back(ReadPageLine(text));
    script += lines.back().gbk + "\r\n";
    if (!lines.back().lost.empty()) lost.push_back({int(lines.size()), lines.back().lost});
  }
  for (const ScriptFinding& found : CheckScript(script, SIZE_MAX, lost).listed) {
    const Finding& finding = found.finding;
    const PageLine& line = lines[size_t(found.line - 1)];
    const std::vector<int>& columns = line.columns;
    const auto [from, to] =
        MarkedColumnsOf(columns[size_t(finding.begin)], columns[size_t(finding.end)]);
    const std::string message = FindingText(finding);
    const std::string fixed = finding.fix ? FixedPageLine(line, *finding.fix) : "";
    PostFinding(found.line, from, to, message.data(), int(message.size()), fixed.data(),
                finding.fix ? int(fixed.size()) : -1);
  }
}

// Every command a script can hold, in table order: keyword, alias, syntax,
// meaning and example, in UTF-8.
EMSCRIPTEN_KEEPALIVE void dravel_commands() {
  for (const CommandRow* row : AllCommands()) {
    std::string fields = GbkToUtf8(row->keyword) + '\0' + GbkToUtf8(row->alias);
    for (const std::string_view help : {row->help.syntax, row->help.meaning, row->help.example}) {
      fields += '\0';
      fields += help;
    }
    PostCommand(fields.data(), int(fields.size()));
  }
}

// The script line that the hint box's line (UTF-8) names, or 0.
EMSCRIPTEN_KEEPALIVE int dravel_message_line(const char* utf8, int size) {
  return ScriptLineOfMessage(Utf8ToGbk(std::string_view(utf8, size_t(size))));
}

// The canvas after the script (UTF-8, LF line ends) has run once, as the
// window's help draws it: no waits, no hint box, the turtle shown, its text
// set by the browser as a run's, and cut short after a while. Nothing is
// posted when there is not the memory for the picture.
EMSCRIPTEN_KEEPALIVE void dravel_picture(const char* utf8, int size) {
  const std::unique_ptr<Canvas> picture = PictureOf(ScriptOf(std::string_view(utf8, size_t(size))));
  const std::vector<uint32_t> pixels = picture ? picture->Paint() : std::vector<uint32_t>();
  if (!pixels.empty()) PostPicture(pixels.data(), picture->Width(), picture->Height(), 1);
}

// The same picture as PNG bytes (Module.onPng), for the guide the build
// writes; nothing is posted without the memory for it.
EMSCRIPTEN_KEEPALIVE void dravel_picture_png(const char* utf8, int size) {
  const std::unique_ptr<Canvas> picture = PictureOf(ScriptOf(std::string_view(utf8, size_t(size))));
  const std::string png = picture ? CanvasPng(*picture, true) : std::string();
  if (!png.empty()) PostPicturePng(png.data(), int(png.size()), 1);
}

// The reference's picture of command row `index` (table order), as the
// window's reference draws it: the row's scene (ExampleScene), cropped
// (PictureCrop), with the scale it is shown at within `largest_width` x
// `largest_height`; as pixels (Module.onPicture) or, when `png`, as PNG bytes
// (Module.onPng). Nothing is posted for a row that draws nothing, an index
// outside the table, or without the memory for it.
EMSCRIPTEN_KEEPALIVE void dravel_command_picture(int index, int largest_width, int largest_height,
                                                 int png) {
  const std::span<const CommandRow* const> rows = AllCommands();
  if (index < 0 || size_t(index) >= rows.size()) return;
  const std::optional<ExampleScene> scene = SceneOf(*rows[size_t(index)]);
  const std::unique_ptr<Canvas> picture = scene ? PictureOf(scene->gbk_script) : nullptr;
  const std::vector<uint32_t> frame = picture ? picture->Paint() : std::vector<uint32_t>();
  if (frame.empty()) return;
  // A scene that shows nothing (its text, where no text can be set) has no picture.
  const PixelBox drawn = DrawnBox(*picture, scene->turtle);
  if (drawn.Empty()) return;
  const PixelBox crop = PictureCrop(drawn, picture->Width(), picture->Height());
  const double ratio = CropRatio(crop, largest_width, largest_height);
  const uint32_t* corner = frame.data() + ptrdiff_t(crop.top) * picture->Width() + crop.left;
  if (png != 0) {
    const std::string bytes = EncodePng(corner, crop.width, crop.height, picture->Width());
    if (!bytes.empty()) PostPicturePng(bytes.data(), int(bytes.size()), ratio);
    return;
  }
  std::vector<uint32_t> pixels;
  for (int y = 0; y < crop.height; ++y) {
    const uint32_t* row = corner + ptrdiff_t(y) * picture->Width();
    pixels.insert(pixels.end(), row, row + crop.width);
  }
  PostPicture(pixels.data(), crop.width, crop.height, ratio);
}

}  // extern "C"
