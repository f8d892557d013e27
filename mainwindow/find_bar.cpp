#include "mainwindow/find_bar.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QTextBlock>
#include <QToolButton>

#include "mainwindow/script_editor.h"

namespace dravel {
namespace {

constexpr int kRowHeight = 24;
constexpr int kMargin = 1;

QToolButton* Button(const QString& caption, const QString& tip, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setText(caption);
  button->setToolTip(tip);
  button->setFocusPolicy(Qt::TabFocus);
  return button;
}

QLineEdit* WordsEdit(QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setClearButtonEnabled(true);
  return edit;
}

}  // namespace

FindBar::FindBar(ScriptEditor& editor, QWidget* parent)
    : QWidget(parent),
      editor_(editor),
      words_(WordsEdit(this)),
      replacement_(WordsEdit(this)),
      match_case_(new QCheckBox(tr("区分大小写"), this)),
      status_(new QLabel(this)),
      replace_label_(new QLabel(tr("替换为："), this)),
      replace_row_(new QWidget(this)) {
  setAutoFillBackground(true);
  BuildRows();
  connect(words_, &QLineEdit::textEdited, this, [this] {
    // Typing widens the search from where the current match starts.
    QTextCursor from = editor_.textCursor();
    from.setPosition(from.selectionStart());
    editor_.setTextCursor(from);
    FindNext();
  });
  connect(words_, &QLineEdit::returnPressed, this, [this] {
    if (QGuiApplication::keyboardModifiers() & Qt::ShiftModifier) {
      FindPrevious();
    } else {
      FindNext();
    }
  });
  connect(replacement_, &QLineEdit::returnPressed, this, [this] { ReplaceCurrent(); });
  connect(match_case_, &QCheckBox::toggled, this, [this] { Say({}); });
  // Esc closes from the bar and from the editor alike.
  for (QWidget* context : {static_cast<QWidget*>(this), static_cast<QWidget*>(&editor_)}) {
    auto* escape =
        new QShortcut(QKeySequence(Qt::Key_Escape), context, nullptr, nullptr,
                      context == this ? Qt::WidgetWithChildrenShortcut : Qt::WidgetShortcut);
    connect(escape, &QShortcut::activated, this, &FindBar::Close);
  }
  hide();
}

void FindBar::BuildRows() {
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
  grid->setSpacing(2);
  auto* previous = Button(tr("上一个"), tr("上一个（Shift+F3）"), this);
  auto* next = Button(tr("下一个"), tr("下一个（F3）"), this);
  auto* close = Button(QStringLiteral("×"), tr("关闭（Esc）"), this);
  auto* replace = Button(tr("替换"), tr("替换这一处，再找下一处"), this);
  auto* replace_all = Button(tr("全部替换"), tr("替换全部，可一次撤销"), this);
  connect(previous, &QToolButton::clicked, this, [this] { FindPrevious(); });
  connect(next, &QToolButton::clicked, this, [this] { FindNext(); });
  connect(close, &QToolButton::clicked, this, &FindBar::Close);
  connect(replace, &QToolButton::clicked, this, &FindBar::ReplaceCurrent);
  connect(replace_all, &QToolButton::clicked, this, [this] { ReplaceAll(); });
  match_case_->setFocusPolicy(Qt::TabFocus);

  grid->addWidget(new QLabel(tr("查找："), this), 0, 0);
  grid->addWidget(words_, 0, 1);
  grid->addWidget(status_, 0, 2);
  grid->addWidget(previous, 0, 3);
  grid->addWidget(next, 0, 4);
  grid->addWidget(match_case_, 0, 5);
  grid->addWidget(close, 0, 6);
  auto* row = new QHBoxLayout(replace_row_);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(2);
  row->addWidget(replacement_, 1);
  row->addWidget(replace);
  row->addWidget(replace_all);
  grid->addWidget(replace_label_, 1, 0);
  grid->addWidget(replace_row_, 1, 1, 1, 6);
  grid->setColumnStretch(1, 1);
  setTabOrder(words_, replacement_);
}

void FindBar::OpenFind() { Open(false); }

void FindBar::OpenReplace() { Open(true); }

void FindBar::Open(bool replacing) {
  const QString selected = editor_.textCursor().selectedText();
  // A selection across lines holds U+2029: it is not a search.
  if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator)) SetWords(selected);
  const bool changed = !open_ || replacing_ != replacing;
  open_ = true;
  replacing_ = replacing;
  replace_row_->setVisible(replacing);
  replace_label_->setVisible(replacing);
  Say({});
  if (changed) emit LayoutChanged();
  words_->setFocus();
  words_->selectAll();
}

void FindBar::Close() {
  if (!open_) return;
  open_ = false;
  editor_.ShowMatch({});
  emit LayoutChanged();
  editor_.setFocus();
}

int FindBar::NeededHeight() const {
  return 2 * kMargin + (replacing_ ? 2 * kRowHeight + 2 : kRowHeight);
}

bool FindBar::FindNext() { return Find({}); }

bool FindBar::FindPrevious() { return Find(QTextDocument::FindBackward); }

QTextDocument::FindFlags FindBar::Flags() const {
  return match_case_->isChecked() ? QTextDocument::FindCaseSensitively : QTextDocument::FindFlags();
}

bool FindBar::Find(QTextDocument::FindFlags direction) {
  const QString words = words_->text();
  if (words.isEmpty()) {
    Say({});
    return false;
  }
  const QTextDocument::FindFlags flags = Flags() | direction;
  const QTextCursor from = editor_.textCursor();
  QTextCursor match = editor_.document()->find(words, from, flags);
  bool wrapped = false;
  if (match.isNull()) {
    QTextCursor edge(editor_.document());
    if (direction & QTextDocument::FindBackward) edge.movePosition(QTextCursor::End);
    match = editor_.document()->find(words, edge, flags);
    wrapped = true;
  }
  if (match.isNull()) {
    editor_.ShowMatch({});
    Say(tr("找不到"), true);
    return false;
  }
  Select(match);
  const bool backward = direction.testFlag(QTextDocument::FindBackward);
  Say(wrapped ? (backward ? tr("已从末尾找起") : tr("已从开头找起")) : QString());
  return true;
}

void FindBar::Select(const QTextCursor& match) {
  editor_.setTextCursor(match);
  editor_.ensureCursorVisible();
  editor_.ShowMatch(match);
}

bool FindBar::SelectionMatches() const {
  const QString selected = editor_.textCursor().selectedText();
  const Qt::CaseSensitivity sensitivity =
      match_case_->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive;
  return !selected.isEmpty() && selected.compare(words_->text(), sensitivity) == 0;
}

void FindBar::ReplaceCurrent() {
  if (SelectionMatches()) {
    QTextCursor cursor = editor_.textCursor();
    cursor.insertText(replacement_->text());
    editor_.setTextCursor(cursor);
  }
  FindNext();
}

int FindBar::ReplaceAll() {
  const QString words = words_->text();
  if (words.isEmpty()) return 0;
  QTextDocument* document = editor_.document();
  QTextCursor edit(document);
  int count = 0;
  edit.beginEditBlock();
  for (QTextCursor match = document->find(words, 0, Flags()); !match.isNull();
       match = document->find(words, match, Flags())) {
    match.insertText(replacement_->text());
    ++count;
  }
  edit.endEditBlock();
  editor_.ShowMatch({});
  Say(count == 0 ? tr("找不到") : tr("已替换 %1 处").arg(count), count == 0);
  return count;
}

void FindBar::SetWords(const QString& words) { words_->setText(words); }

void FindBar::SetReplacement(const QString& replacement) { replacement_->setText(replacement); }

void FindBar::SetMatchCase(bool match_case) { match_case_->setChecked(match_case); }

QString FindBar::Status() const { return status_->text(); }

void FindBar::Say(const QString& status, bool trouble) {
  status_->setText(status);
  QPalette palette = words_->palette();
  palette.setColor(QPalette::Base, trouble ? QColor(255, 220, 220) : QColor(Qt::white));
  words_->setPalette(palette);
}

}  // namespace dravel
