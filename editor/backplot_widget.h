// The preview's backplot: the path of the NC program drawn in one of the
// plot views, rapids grey and each tool's feeds in its colour, with the
// moves of one NC line marked.
#ifndef TLV_EDITOR_BACKPLOT_WIDGET_H_
#define TLV_EDITOR_BACKPLOT_WIDGET_H_

#include <QWidget>
#include <memory>

#include "plot/nc_path.h"
#include "plot/plot_view.h"

namespace tlv {

class BackplotWidget : public QWidget {
  Q_OBJECT

 public:
  explicit BackplotWidget(QWidget* parent = nullptr);

  /// The path to draw (shared with whoever read it; never changed).
  void SetPath(std::shared_ptr<const NcPath> path);
  const NcPath& path() const { return *path_; }
  /// The box around every move of the path.
  Extents extents() const { return PathExtents(*path_); }

  void SetView(PlotView view);
  PlotView view() const { return view_; }

  /// Marks the moves made by NC line `line` (1-based); 0 marks none.
  void SetMarkedLine(int line);
  int marked_line() const { return marked_line_; }

  QSize sizeHint() const override { return QSize(480, 360); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::shared_ptr<const NcPath> path_;
  PlotView view_ = PlotView::kXY;
  int marked_line_ = 0;
};

}  // namespace tlv

#endif  // TLV_EDITOR_BACKPLOT_WIDGET_H_
