#include "mainwindow/line_number_editor.h"

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QPainter>
#include <QTextBlock>
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
const QColor kFindingMarker(255, 80, 80);
const QColor kMatchBackground(255, 225, 90);
constexpr int kZoomStepPixels = 2;
constexpr int kSmallestPixelSize = 8;
constexpr int kLargestPixelSize = 48;
constexpr int kGutterPadding = 6;

class Gutter final : public QWidget {
 public:
  explicit Gutter(LineNumberEditor* editor) : QWidget(editor), editor_(editor) {}
  QSize sizeHint() const override { return {editor_->GutterWidth(), 0}; }

 protected:
  void paintEvent(QPaintEvent* event) override { editor_->PaintGutter(event); }

 private:
  LineNumberEditor* editor_;
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

}  // namespace

std::pair<int, int> CharacterRange(const QString& line, ByteRange range) {
  int bytes = 0;
  int begin = -1;
  int position = 0;
  for (; position < line.size() && bytes < range.end; ++position) {
    if (begin < 0 && bytes >= range.begin) begin = position;
    bytes += GbkWidthOf(line[position]);
  }
  if (begin < 0) begin = position;
  return {begin, position};
}

LineNumberEditor::LineNumberEditor(QWidget* parent) : EditBox(parent), gutter_(new Gutter(this)) {
  connect(this, &QPlainTextEdit::blockCountChanged, this, [this] { UpdateGutterWidth(); });
  connect(this, &QPlainTextEdit::updateRequest, this, &LineNumberEditor::UpdateGutter);
  // Marks belong to the text a run read; an edit makes them stale.
  connect(this, &QPlainTextEdit::textChanged, this, &LineNumberEditor::ClearMarks);
  UpdateGutterWidth();
}

int LineNumberEditor::GutterWidth() const { return GutterWidthFor(blockCount()); }

int LineNumberEditor::GutterWidthFor(int lines) const {
  const int digits = QString::number(std::max(1, lines)).size();
  return 2 * kGutterPadding + fontMetrics().horizontalAdvance(QChar('9')) * std::max(2, digits);
}

void LineNumberEditor::PrepareFor(const QString& text) {
  const int lines = 1 + static_cast<int>(text.count(QChar('\n')));
  setViewportMargins(GutterWidthFor(lines), 0, 0, 0);
}

void LineNumberEditor::UpdateGutterWidth() {
  setViewportMargins(GutterWidth(), 0, 0, 0);
  const QRect inside = contentsRect();
  gutter_->setGeometry(QRect(inside.left(), inside.top(), GutterWidth(), inside.height()));
}

void LineNumberEditor::UpdateGutter(const QRect& rect, int dy) {
  if (dy != 0) {
    gutter_->scroll(0, dy);
  } else {
    gutter_->update(0, rect.y(), gutter_->width(), rect.height());
  }
  if (rect.contains(viewport()->rect())) UpdateGutterWidth();
}

void LineNumberEditor::resizeEvent(QResizeEvent* event) {
  EditBox::resizeEvent(event);
  UpdateGutterWidth();
}

void LineNumberEditor::PaintGutter(QPaintEvent* event) {
  QPainter painter(gutter_);
  painter.fillRect(event->rect(), kGutterBackground);
  painter.setFont(font());
  QTextBlock block = firstVisibleBlock();
  int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
  const int line_height = fontMetrics().height();
  while (block.isValid() && top <= event->rect().bottom()) {
    const int bottom = top + qRound(blockBoundingRect(block).height());
    if (block.isVisible() && bottom >= event->rect().top()) {
      const bool marked = block.blockNumber() + 1 == marked_line_;
      if (!FindingsOf(block).empty()) {
        painter.fillRect(1, top + 2, 3, line_height - 4, kFindingMarker);
      }
      painter.setPen(marked ? Qt::white : kGutterNumber);
      painter.drawText(0, top, gutter_->width() - kGutterPadding, line_height, Qt::AlignRight,
                       QString::number(block.blockNumber() + 1));
    }
    block = block.next();
    top = bottom;
  }
}

void LineNumberEditor::MarkLine(int line, std::optional<ByteRange> item, Mark mark) {
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

void LineNumberEditor::ClearMarks() {
  if (marked_line_ == 0) return;
  mark_selections_.clear();
  ShowSelections();
  marked_line_ = 0;
  marked_item_ = QTextCursor();
  gutter_->update();
}

void LineNumberEditor::ShowMatch(const QTextCursor& match) {
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

void LineNumberEditor::ShowSelections() {
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

void LineNumberEditor::Zoom(int steps) {
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

void LineNumberEditor::changeEvent(QEvent* event) {
  EditBox::changeEvent(event);
  if (event->type() == QEvent::FontChange) UpdateGutterWidth();
}

void LineNumberEditor::wheelEvent(QWheelEvent* event) {
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

QString LineNumberEditor::MarkedItemText() const {
  return marked_item_.isNull() ? QString() : marked_item_.selectedText();
}

bool LineNumberEditor::viewportEvent(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return EditBox::viewportEvent(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  const QString tip = ToolTipAt(cursorForPosition(help->pos()));
  if (tip.isEmpty()) {
    QToolTip::hideText();
  } else {
    QToolTip::showText(help->globalPos(), tip, viewport());
  }
  return true;
}

// A finding's message (and its fix) where there is one, else the keyword's.
QString LineNumberEditor::ToolTipAt(const QTextCursor& cursor) const {
  const QTextBlock block = cursor.block();
  if (const Finding* finding = FindingAt(block, cursor.positionInBlock())) {
    QString tip = FindingMessage(*finding).toHtmlEscaped();
    if (finding->fix) {
      tip += QStringLiteral("<br><i>%1</i>")
                 .arg(tr("按 Ctrl+. 或在右键菜单里修正为：%1")
                          .arg(FixedText(block, *finding).toHtmlEscaped()));
    }
    return tip;
  }
  const QString word = WordAt(block.text(), cursor.positionInBlock());
  return KeywordToolTip(FromWidgetText(word));
}

void LineNumberEditor::contextMenuEvent(QContextMenuEvent* event) {
  QMenu* menu = createStandardContextMenu(event->pos());
  const QTextCursor at = cursorForPosition(event->pos());
  const Finding* finding = FindingAt(at.block(), at.positionInBlock());
  if (finding != nullptr && finding->fix) {
    const QTextBlock block = at.block();
    const Finding fix = *finding;
    QAction* action = new QAction(tr("修正为：%1").arg(FixedText(block, fix)), menu);
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

bool LineNumberEditor::ApplyFixAtCaret() {
  const QTextCursor caret = textCursor();
  const Finding* finding = FindingAt(caret.block(), caret.positionInBlock());
  if (finding == nullptr || !finding->fix) finding = FirstFix(caret.block());
  if (finding == nullptr) return false;
  ApplyFix(caret.block(), *finding);
  return true;
}

}  // namespace dravel
