#include "editor/backplot_widget.h"

#include <QPainter>
#include <QPainterPath>
#include <map>
#include <vector>

namespace tlv {
namespace {

QColor Rgb(std::uint32_t rgb) {
  return QColor((rgb >> 16) & 0xff, (rgb >> 8) & 0xff, rgb & 0xff);
}

}  // namespace

BackplotWidget::BackplotWidget(QWidget* parent)
    : QWidget(parent), path_(std::make_shared<NcPath>()) {
  setObjectName(QStringLiteral("previewBackplot"));
  setMinimumSize(160, 120);
  setAutoFillBackground(false);
}

void BackplotWidget::SetPath(std::shared_ptr<const NcPath> path) {
  path_ = path ? std::move(path) : std::make_shared<NcPath>();
  update();
}

void BackplotWidget::SetView(PlotView view) {
  view_ = view;
  update();
}

void BackplotWidget::SetMarkedLine(int line) {
  if (line == marked_line_) return;
  marked_line_ = line;
  update();
}

void BackplotWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  painter.setRenderHint(QPainter::Antialiasing, path_->segments.size() < 200000);
  const PlotOptions options{view_, std::max(width(), 1), std::max(height(), 1)};
  const PlotLayout layout(*path_, options);

  // One batch of lines per colour: a long program draws in a few calls.
  std::map<std::uint32_t, std::vector<QLineF>> batches;
  std::vector<QLineF> marked;
  for (const Segment& s : path_->segments) {
    double x0, y0, x1, y1;
    layout.Map(s.start, &x0, &y0);
    layout.Map(s.end, &x1, &y1);
    const QLineF line(x0, y0, x1, y1);
    if (marked_line_ != 0 && s.line == marked_line_) marked.push_back(line);
    batches[s.kind == SegmentKind::kRapid ? kRapidColour : ToolColour(s.tool)].push_back(line);
  }
  // The marked moves under a wide halo, so they stand out in any tool's colour.
  if (!marked.empty()) {
    painter.setPen(QPen(QColor(255, 200, 0, 210), 7, Qt::SolidLine, Qt::RoundCap));
    painter.drawLines(marked.data(), static_cast<int>(marked.size()));
  }
  for (const auto& [colour, lines] : batches) {
    QPen pen(Rgb(colour), 1.2);
    if (colour == kRapidColour) pen.setStyle(Qt::DashLine);
    painter.setPen(pen);
    painter.drawLines(lines.data(), static_cast<int>(lines.size()));
  }

  painter.setPen(Qt::black);
  const std::string_view label = PlotViewLabel(view_);
  painter.drawText(QRect(8, 4, width() - 16, 20), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromLatin1(label.data(), static_cast<qsizetype>(label.size())));
  if (!layout.extents().empty) {
    painter.setPen(QColor(80, 80, 80));
    painter.drawText(QRect(8, height() - 22, width() - 16, 18), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromStdString(ExtentsText(layout.extents())));
  }
}

}  // namespace tlv
