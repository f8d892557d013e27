#include "mainwindow/tab_control.h"

#include <QTabBar>

namespace dravel {

TabControl::TabControl(QWidget* parent) : QWidget(parent), bar_(new QTabBar(this)) {
  bar_->setDrawBase(false);
  bar_->setExpanding(false);
  bar_->setFocusPolicy(Qt::TabFocus);
  // Compact headers: the strip row also holds a page control to their right.
  bar_->setStyleSheet(QStringLiteral(
      "QTabBar::tab { padding: 2px 6px; margin-right: 1px; border: 1px solid #9a9a9a;"
      " border-bottom: none; border-top-left-radius: 3px; border-top-right-radius: 3px;"
      " background: #dcdcdc; }"
      "QTabBar::tab:selected { background: #f4f4f4; }"));
  connect(bar_, &QTabBar::currentChanged, this, &TabControl::ShowPage);
}

int TabControl::AddPage(const QString& caption) {
  const int page = bar_->addTab(caption);
  bar_->resize(bar_->sizeHint());
  return page;
}

void TabControl::Place(QWidget* control, int page, const QRect& bounds) {
  control->setParent(this);
  control->setGeometry(bounds);
  controls_.push_back({control, page, true});
  control->setVisible(page == CurrentPage());
}

void TabControl::SetShown(QWidget* control, bool shown) {
  for (Placed& placed : controls_) {
    if (placed.control != control) continue;
    placed.shown = shown;
    control->setVisible(shown && placed.page == CurrentPage());
  }
}

int TabControl::CurrentPage() const { return bar_->currentIndex(); }

void TabControl::SetCurrentPage(int page) { bar_->setCurrentIndex(page); }

void TabControl::ShowPage(int page) {
  for (const Placed& placed : controls_) {
    placed.control->setVisible(placed.shown && placed.page == page);
  }
}

}  // namespace dravel
