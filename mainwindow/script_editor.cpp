#include "mainwindow/script_editor.h"

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QPainter>
#include <QTextBlock>
#include <QTextLayout>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>

#include "mainwindow/keyword_help.h"
#include "mainwindow/line_findings.h"
#include "mainwindow/qt_text.h"

namespace dravel {
namespace {

const QColor kGutterBackground(0, 96, 96);
const QColor kGutterNumber(190, 220, 220);
const QColor kFailingLine(150, 30, 30);
const QColor kRunningLine(30, 60, 150);
const QColor kItemBackground(230, 160, 0);
// A line with findings stands out from across a room: a dark rose band on
// the dark cyan, its text still at 4.5:1 or better, and a wavy line in light
// red at 3:1 or better on the band (and on the gutter, for its marker).
const QColor kFindingLine(96, 32, 64);
const QColor kFindingMarker(255, 140, 140);
const QColor kMatchBackground(255, 225, 90);
constexpr int kZoomStepPixels = 2;
constexpr int kSmallestPixelSize = 8;
constexpr int kLargestPixelSize = 48;
constexpr int kGutterPadding = 6;
constexpr int kGutterMarkerWidth = 4;
// A line of many findings lists the first few in the gutter's tip.
constexpr int kGutterTipFindings = 3;

class Gutter final : public QWidget {
 public:
  explicit Gutter(ScriptEditor* editor) : QWidget(editor), editor_(editor) {}
  QSize sizeHint() const override { return {editor_->GutterWidth(), 0}; }

 protected:
  void paintEvent(QPaintEvent* event) override { editor_->PaintGutter(event); }
  bool event(QEvent* event) override {
    if (event->type() != QEvent::ToolTip) return QWidget::event(event);
    editor_->ShowGutterTip(*static_cast<QHelpEvent*>(event));
    return true;
  }

 private:
  ScriptEditor* editor_;
};

bool IsWordBreak(QChar c) {
  return c == QChar(' ') || c == QChar(0x3010) || c == QChar(0x3011) || c == QChar('|');
}

// The word around `position` in `text`, cut at spaces, 【, 】 and "|".
QString WordAt(const QString& text, int position) {
  int begin = position;
  while (begin > 0 && !IsWordBreak(text[begin - 1])) --begin;
  int end = position;
  while (end < text.size() && !IsWordBreak(text[end])) ++end;
  return text.mid(begin, end - begin);
}

// A zigzag from `left` to `right` along row `top`, `width` pixels thick.
QPolygon Wave(int left, int right, int top, int width) {
  const int step = 2 * width + 1;
  const int depth = width + 1;
  QPolygon wave;
  for (int x = left, i = 0; x < right + step; x += step, ++i) {
    wave << QPoint(std::min(x, right), top + (i % 2 == 0 ? 0 : depth));
  }
  return wave;
}

}  // namespace

ScriptEditor::ScriptEditor(QWidget* parent) : EditBox(parent), gutter_(new Gutter(this)) {
  connect(this, &QPlainTextEdit::blockCountChanged, this, [this] { UpdateGutterWidth(); });
  connect(this, &QPlainTextEdit::updateRequest, this, &ScriptEditor::UpdateGutter);
  // Marks belong to the text a run read; an edit makes them stale.
  connect(this, &QPlainTextEdit::textChanged, this, &ScriptEditor::ClearMarks);
  UpdateGutterWidth();
}

int ScriptEditor::GutterWidth() const { return GutterWidthFor(blockCount()); }

int ScriptEditor::GutterWidthFor(int lines) const {
  const int digits = QString::number(std::max(1, lines)).size();
  return 2 * kGutterPadding + fontMetrics().horizontalAdvance(QChar('9')) * std::max(2, digits);
}

void ScriptEditor::PrepareFor(const QString& text) {
  const int lines = 1 + static_cast<int>(text.count(QChar('\n')));
  setViewportMargins(GutterWidthFor(lines), 0, 0, 0);
}

void ScriptEditor::UpdateGutterWidth() {
  setViewportMargins(GutterWidth(), 0, 0, 0);
  const QRect inside = contentsRect();
  gutter_->setGeometry(QRect(inside.left(), inside.top(), GutterWidth(), inside.height()));
}

void ScriptEditor::UpdateGutter(const QRect& rect, int dy) {
  if (dy != 0) {
    gutter_->scroll(0, dy);
  } else {
    gutter_->update(0, rect.y(), gutter_->width(), rect.height());
  }
  if (rect.contains(viewport()->rect())) UpdateGutterWidth();
}

void ScriptEditor::resizeEvent(QResizeEvent* event) {
  EditBox::resizeEvent(event);
  UpdateGutterWidth();
}

QColor ScriptEditor::FindingLineColour() { return kFindingLine; }

QColor ScriptEditor::FindingMarkColour() { return kFindingMarker; }

void ScriptEditor::ForShownBlocks(
    int top, int bottom, const std::function<void(const QTextBlock&, const QRect&)>& visit) const {
  QTextBlock block = firstVisibleBlock();
  int block_top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
  while (block.isValid() && block_top <= bottom) {
    const int height = qRound(blockBoundingRect(block).height());
    if (block.isVisible() && block_top + height >= top) {
      visit(block, QRect(0, block_top, viewport()->width(), height));
    }
    block = block.next();
    block_top += height;
  }
}

void ScriptEditor::PaintGutter(QPaintEvent* event) {
  QPainter painter(gutter_);
  painter.fillRect(event->rect(), kGutterBackground);
  painter.setFont(font());
  const int line_height = fontMetrics().height();
  ForShownBlocks(event->rect().top(), event->rect().bottom(),
                 [&](const QTextBlock& block, const QRect& shown) {
                   const int top = shown.top();
                   if (!FindingsOf(block).empty()) {
                     painter.fillRect(1, top + 2, kGutterMarkerWidth, line_height - 4,
                                      kFindingMarker);
                   }
                   const bool marked = block.blockNumber() + 1 == marked_line_;
                   painter.setPen(marked ? Qt::white : kGutterNumber);
                   painter.drawText(0, top, gutter_->width() - kGutterPadding, line_height,
                                    Qt::AlignRight, QString::number(block.blockNumber() + 1));
                 });
}

void ScriptEditor::paintEvent(QPaintEvent* event) {
  PaintFindings(event->rect());
  EditBox::paintEvent(event);
}

// Under the text, which stays readable over the wavy line (the run's marks
// of a line paint over both); without smoothing, so that every pixel of the
// wavy line has its colour.
void ScriptEditor::PaintFindings(const QRect& area) {
  QPainter painter(viewport());
  painter.setPen(QPen(kFindingMarker, std::max(2, fontMetrics().height() / 8)));
  ForShownBlocks(area.top(), area.bottom(), [&](const QTextBlock& block, const QRect& shown) {
    if (FindingsOf(block).empty()) return;
    painter.fillRect(shown, kFindingLine);
    for (const Finding& finding : FindingsOf(block)) {
      const auto [begin, end] = FindingCharacters(block, finding);
      const auto [from, to] = MarkedColumnsOf(begin, end);
      PaintWave(painter, block, shown.topLeft(), from, to);
    }
  });
}

// The wave under characters from..to of `block`, on each of its wrapped
// lines; `origin` is where the block stands in the viewport.
void ScriptEditor::PaintWave(QPainter& painter, const QTextBlock& block, QPoint origin, int from,
                             int to) const {
  const QTextLayout* layout = block.layout();
  const QPointF at = origin + layout->position();
  for (int i = 0; i < layout->lineCount(); ++i) {
    const QTextLine line = layout->lineAt(i);
    const int begin = std::max(from, line.textStart());
    const int end = std::min(to, line.textStart() + line.textLength());
    if (begin >= end) continue;
    // At the foot of the line, inside its band.
    const int width = painter.pen().width();
    const int top = qRound(at.y() + line.y() + line.height()) - 2 * width - 1;
    painter.drawPolyline(Wave(qRound(at.x() + line.cursorToX(begin)),
                              qRound(at.x() + line.cursorToX(end)), top, width));
  }
}

void ScriptEditor::MarkLine(int line, std::optional<ByteRange> item, Mark mark) {
  const QTextBlock block = document()->findBlockByNumber(line - 1);
  if (line < 1 || !block.isValid()) return;
  QList<QTextEdit::ExtraSelection> selections;
  QTextEdit::ExtraSelection whole;
  whole.format.setBackground(mark == Mark::kFailing ? kFailingLine : kRunningLine);
  whole.format.setProperty(QTextFormat::FullWidthSelection, true);
  whole.cursor = QTextCursor(block);
  selections.append(whole);
  QTextCursor item_cursor(block);
  if (item) {
    const auto [begin, end] = CharacterRange(block.text(), *item);
    item_cursor.setPosition(block.position() + begin);
    item_cursor.setPosition(block.position() + end, QTextCursor::KeepAnchor);
    QTextEdit::ExtraSelection body;
    body.format.setBackground(kItemBackground);
    body.format.setForeground(Qt::black);
    body.cursor = item_cursor;
    selections.append(body);
  }
  mark_selections_ = selections;
  ShowSelections();
  marked_line_ = line;
  marked_item_ = item ? item_cursor : QTextCursor();
  if (mark == Mark::kFailing) {
    QTextCursor caret(block);
    if (item) caret.setPosition(item_cursor.selectionStart());
    setTextCursor(caret);
  } else {
    setTextCursor(QTextCursor(block));
  }
  ensureCursorVisible();
  gutter_->update();
}

void ScriptEditor::ClearMarks() {
  if (marked_line_ == 0) return;
  mark_selections_.clear();
  ShowSelections();
  marked_line_ = 0;
  marked_item_ = QTextCursor();
  gutter_->update();
}

void ScriptEditor::ShowMatch(const QTextCursor& match) {
  if (match_.isNull() && !match.isNull()) unfocused_palette_ = palette();
  if (!match_.isNull() && match.isNull()) setPalette(unfocused_palette_);
  match_ = match;
  if (!match_.isNull()) {
    // Without the focus the selection is drawn in the inactive colours, over
    // the match: those are the match's while the find bar has the focus.
    QPalette shown = unfocused_palette_;
    shown.setColor(QPalette::Inactive, QPalette::Highlight, kMatchBackground);
    shown.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::black);
    setPalette(shown);
  }
  ShowSelections();
}

void ScriptEditor::ShowSelections() {
  QList<QTextEdit::ExtraSelection> selections = mark_selections_;
  if (!match_.isNull() && match_.hasSelection()) {
    QTextEdit::ExtraSelection found;
    found.format.setBackground(kMatchBackground);
    found.format.setForeground(Qt::black);
    found.cursor = match_;
    selections.append(found);
  }
  setExtraSelections(selections);
}

void ScriptEditor::Zoom(int steps) {
  if (zoom_ == 0) unzoomed_font_ = font();
  const int size = unzoomed_font_.pixelSize();
  Q_ASSERT(size > 0);  // the editor's face is sized in pixels
  const int lowest = (kSmallestPixelSize - size) / kZoomStepPixels;
  const int highest = (kLargestPixelSize - size) / kZoomStepPixels;
  zoom_ = steps == 0 ? 0 : std::clamp(zoom_ + steps, lowest, highest);
  QFont zoomed = unzoomed_font_;
  zoomed.setPixelSize(size + zoom_ * kZoomStepPixels);
  setFont(zoomed);
}

void ScriptEditor::changeEvent(QEvent* event) {
  EditBox::changeEvent(event);
  if (event->type() == QEvent::FontChange) UpdateGutterWidth();
}

void ScriptEditor::wheelEvent(QWheelEvent* event) {
  if (!(event->modifiers() & Qt::ControlModifier)) {
    EditBox::wheelEvent(event);
    return;
  }
  // A notch is 120; touchpads send less at a time.
  wheel_rest_ += event->angleDelta().y();
  const int notches = wheel_rest_ / 120;
  wheel_rest_ -= notches * 120;
  if (notches != 0) Zoom(notches);
  event->accept();
}

QString ScriptEditor::MarkedItemText() const {
  return marked_item_.isNull() ? QString() : marked_item_.selectedText();
}

bool ScriptEditor::viewportEvent(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return EditBox::viewportEvent(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  ShowTip(ToolTipAt(cursorForPosition(help->pos())), help->globalPos(), viewport());
  return true;
}

void ScriptEditor::ShowTip(const QString& tip, const QPoint& global, QWidget* over) {
  if (tip.isEmpty()) {
    QToolTip::hideText();
  } else {
    QToolTip::showText(global, tip, over);
  }
}

void ScriptEditor::ShowGutterTip(const QHelpEvent& help) {
  QStringList tips;
  const int y = help.pos().y();
  ForShownBlocks(y, y, [&](const QTextBlock& block, const QRect&) {
    for (const Finding& finding : FindingsOf(block)) {
      if (tips.size() == kGutterTipFindings) {
        tips.append(QStringLiteral("……"));
        break;
      }
      tips.append(FindingTip(block, finding));
    }
  });
  ShowTip(tips.join(QStringLiteral("<br><br>")), help.globalPos(), gutter_);
}

// A finding's message (and its fix) where there is one, else the keyword's.
QString ScriptEditor::ToolTipAt(const QTextCursor& cursor) const {
  const QTextBlock block = cursor.block();
  if (const Finding* finding = FindingAt(block, cursor.positionInBlock())) {
    return FindingTip(block, *finding);
  }
  const QString word = WordAt(block.text(), cursor.positionInBlock());
  return KeywordToolTip(FromWidgetText(word));
}

QString ScriptEditor::FindingTip(const QTextBlock& block, const Finding& finding) const {
  QString tip = FindingMessage(finding).toHtmlEscaped();
  if (finding.fix) {
    tip += QStringLiteral("<br><i>%1</i>")
               .arg(tr("按 Ctrl+. 或在右键菜单里%1").arg(FixOffer(block, finding).toHtmlEscaped()));
  }
  return tip;
}

// The fixed line, or both lines when the fix moves a command to its own.
QString ScriptEditor::FixOffer(const QTextBlock& block, const Finding& finding) const {
  const QStringList lines = FixedLines(block, finding);
  Q_ASSERT(lines.size() <= 2);
  if (lines.size() == 1) return tr("修正为：%1").arg(lines[0]);
  return tr("修正为两行：“%1”和“%2”").arg(lines[0], lines[1]);
}

void ScriptEditor::contextMenuEvent(QContextMenuEvent* event) {
  QMenu* menu = createStandardContextMenu(event->pos());
  const QTextCursor at = cursorForPosition(event->pos());
  const Finding* finding = FindingAt(at.block(), at.positionInBlock());
  if (finding != nullptr && finding->fix) {
    const QTextBlock block = at.block();
    const Finding fix = *finding;
    QAction* action = new QAction(FixOffer(block, fix), menu);
    connect(action, &QAction::triggered, this, [block, fix] { ApplyFix(block, fix); });
    menu->insertAction(menu->actions().value(0), action);
    menu->insertSeparator(menu->actions().value(1));
  }
  if (!menu_actions_.isEmpty()) {
    menu->addSeparator();
    menu->addActions(menu_actions_);
  }
  menu->exec(event->globalPos());
  delete menu;
}

bool ScriptEditor::ApplyFixAtCaret() {
  const QTextCursor caret = textCursor();
  const Finding* finding = FindingAt(caret.block(), caret.positionInBlock());
  if (finding == nullptr || !finding->fix) finding = FirstFix(caret.block());
  if (finding == nullptr) {
    SayNoFix(caret);
    return false;
  }
  ApplyFix(caret.block(), *finding);
  return true;
}

// Said where the learner looks: at the caret, with what was found there.
void ScriptEditor::SayNoFix(const QTextCursor& caret) {
  const QTextBlock block = caret.block();
  const Finding* finding = FindingAt(block, caret.positionInBlock());
  if (finding == nullptr && !FindingsOf(block).empty()) finding = &FindingsOf(block).front();
  const QString tip =
      finding == nullptr
          ? tr("这一行没有发现问题。")
          : tr("这一处没有自动修正：%1").arg(FindingMessage(*finding).toHtmlEscaped());
  ShowTip(tip, viewport()->mapToGlobal(cursorRect(caret).bottomLeft()), viewport());
}

}  // namespace dravel
