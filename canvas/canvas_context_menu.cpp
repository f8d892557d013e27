#include "canvas/canvas_context_menu.h"

#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSvgRenderer>

#include "canvas/canvas_core.h"
#include "canvas/picture_export.h"
#include "canvas/qt_pixels.h"
#include "canvas/svg_writer.h"

namespace dravel {
namespace {

QString AskForFile(QWidget* parent) {
  QFileDialog dialog(parent, CanvasContextMenu::tr("保存图片…"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  QStringList filters, suffixes;
  for (const PictureFormatName& name : kPictureFormats) {
    const QString suffix = QString::fromLatin1(name.extension.substr(1));
    filters.push_back(QStringLiteral("%1 (*.%2)").arg(suffix.toUpper(), suffix));
    suffixes.push_back(suffix);
  }
  dialog.setNameFilters(filters);
  dialog.setDefaultSuffix(suffixes.front());
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
    dialog.setDefaultSuffix(suffixes.value(filters.indexOf(filter), suffixes.front()));
  });
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

bool AskForPrinter(QWidget* parent, QPrinter& printer) {
  QPrintDialog dialog(&printer, parent);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace

CanvasContextMenu::CanvasContextMenu(QWidget* canvas, CanvasCore& core)
    : QObject(canvas),
      canvas_(canvas),
      core_(core),
      hooks_{AskForFile, AskForPrinter},
      menu_(new QMenu(canvas)) {
  // Ctrl+Shift keeps clear of the editor's own Ctrl+S and Ctrl+C.
  menu_->addAction(
      AddAction(tr("保存图片…"), QKeySequence("Ctrl+Shift+S"), &CanvasContextMenu::SavePicture));
  menu_->addAction(
      AddAction(tr("复制图片"), QKeySequence("Ctrl+Shift+C"), &CanvasContextMenu::CopyPicture));
  menu_->addAction(
      AddAction(tr("打印…"), QKeySequence("Ctrl+P"), &CanvasContextMenu::PrintPicture));
  canvas_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(canvas_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { menu_->popup(canvas_->mapToGlobal(at)); });
}

// The actions live on the canvas too, so their shortcuts work anywhere in
// its window, with or without the menu open.
QAction* CanvasContextMenu::AddAction(const QString& text, const QKeySequence& keys,
                                      void (CanvasContextMenu::*slot)()) {
  auto* action = new QAction(text, this);
  action->setShortcut(keys);
  action->setShortcutContext(Qt::WindowShortcut);
  connect(action, &QAction::triggered, this, slot);
  canvas_->addAction(action);
  return action;
}

void CanvasContextMenu::SetHooks(Hooks hooks) { hooks_ = std::move(hooks); }

void CanvasContextMenu::SavePicture() {
  const QString path = hooks_.choose_file(canvas_);
  if (path.isEmpty()) return;
  const QByteArray local = QFile::encodeName(path);
  const std::string bytes = PictureBytes(core_, FormatOfPath(local.toStdString()));
  const bool saved = WritePictureFile(local.toStdString(), bytes).Ok();
  emit MessageRaised((saved ? tr("图片已保存：") : tr("图片保存失败：")) + path + "\r\n");
}

void CanvasContextMenu::CopyPicture() {
  const QImage layer = ImageOf(core_.Lock()->VisibleLayer());
  if (layer.isNull()) {
    emit MessageRaised(tr("复制图片失败！\r\n"));
    return;
  }
  QGuiApplication::clipboard()->setImage(layer);
}

// The drawing goes to the printer as vectors, centred and as large as the
// page allows without changing its proportions.
void CanvasContextMenu::PrintPicture() {
  QPrinter printer(QPrinter::HighResolution);
  if (!hooks_.choose_printer(canvas_, printer)) return;
  const DrawingSnapshot drawing = core_.Lock()->Drawing();
  QSvgRenderer renderer(QByteArray::fromStdString(WriteSvg(drawing)));
  QPainter painter;
  if (!renderer.isValid() || !painter.begin(&printer)) {
    emit MessageRaised(tr("打印失败！\r\n"));
    return;
  }
  const QRect page = painter.viewport();
  QSize size = renderer.defaultSize();
  size.scale(page.size(), Qt::KeepAspectRatio);
  const QRect target(page.x() + (page.width() - size.width()) / 2,
                     page.y() + (page.height() - size.height()) / 2, size.width(), size.height());
  renderer.render(&painter, target);
  if (!painter.end()) emit MessageRaised(tr("打印失败！\r\n"));
}

}  // namespace dravel
