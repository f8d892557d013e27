// TabControl: a tab strip with pages whose controls are placed relative to the
// tab control itself, the strip row included, so that a control (the window's
// hyperlink) can sit beside the tab headers and still belong to a page.
// Selecting a page shows its controls and hides those of the other pages.
#pragma once

#include <QWidget>
#include <vector>

class QTabBar;

namespace dravel {

class TabControl : public QWidget {
  Q_OBJECT

 public:
  explicit TabControl(QWidget* parent = nullptr);

  // Adds a page after the others; gives its 0-based index.
  int AddPage(const QString& caption);
  // Makes `control` a child placed at `bounds`, shown only while `page` is current.
  void Place(QWidget* control, int page, const QRect& bounds);
  // A placed control that shows only when asked (the find bar): hidden, it
  // stays hidden whichever page is chosen.
  void SetShown(QWidget* control, bool shown);
  int CurrentPage() const;
  void SetCurrentPage(int page);
  QTabBar* Bar() const { return bar_; }

 private:
  void ShowPage(int page);

  QTabBar* bar_;
  struct Placed {
    QWidget* control;
    int page;
    bool shown;
  };
  std::vector<Placed> controls_;
};

}  // namespace dravel
