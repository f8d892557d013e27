#include "mainwindow/tab_control.h"

#include <QTabBar>

namespace dravel {

TabControl::TabControl(QWidget* parent) : QWidget(parent), bar_(new QTabBar(this)) {
  bar_->setDrawBase(false);
  bar_->setExpanding(false);
  bar_->setFocusPolicy(Qt::TabFocus);
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
  controls_.emplace_back(control, page);
  control->setVisible(page == CurrentPage());
}

int TabControl::CurrentPage() const { return bar_->currentIndex(); }

void TabControl::SetCurrentPage(int page) { bar_->setCurrentIndex(page); }

void TabControl::ShowPage(int page) {
  for (const auto& [control, owner] : controls_) control->setVisible(owner == page);
}

}  // namespace dravel
