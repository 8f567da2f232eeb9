#include "app/qt/Icons.h"

#include <QPainter>
#include <QPainterPath>

namespace qm {
namespace {

constexpr int kSizes[] = {16, 24, 32, 48};

// Draws on a 16-unit canvas; the painter is scaled to the image size.
void Draw(IconId id, QPainter& p) {
  const QPen outline(QColor(40, 40, 40), 0.8);
  switch (id) {
    case IconId::None:
      break;
    case IconId::Add:
      p.setPen(outline);
      p.setBrush(QColor(46, 160, 67));
      p.drawPolygon(QPolygonF({{6, 1.5}, {10, 1.5}, {10, 6}, {14.5, 6}, {14.5, 10}, {10, 10},
                               {10, 14.5}, {6, 14.5}, {6, 10}, {1.5, 10}, {1.5, 6}, {6, 6}}));
      break;
    case IconId::Remove:
      p.setPen(QPen(QColor(200, 40, 40), 3.2, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
      p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
      break;
    case IconId::Start:
      p.setPen(outline);
      p.setBrush(QColor(46, 160, 67));
      p.drawPolygon(QPolygonF({{4, 2}, {14, 8}, {4, 14}}));
      break;
    case IconId::Info: {
      p.setPen(outline);
      p.setBrush(QColor(40, 90, 190));
      p.drawEllipse(QRectF(1, 1, 14, 14));
      p.setPen(Qt::NoPen);
      p.setBrush(Qt::white);
      p.drawEllipse(QRectF(7, 3.2, 2, 2));
      p.drawRect(QRectF(7, 6.5, 2, 6.5));
      break;
    }
    case IconId::App: {
      // A disc: the images the program works on.
      p.setPen(outline);
      p.setBrush(QColor(170, 180, 200));
      p.drawEllipse(QRectF(1, 1, 14, 14));
      p.setBrush(QColor(230, 235, 245));
      p.drawEllipse(QRectF(4, 4, 8, 8));
      p.setBrush(Qt::white);
      p.drawEllipse(QRectF(6.5, 6.5, 3, 3));
      break;
    }
    case IconId::Web: {
      p.setPen(QPen(QColor(30, 80, 160), 1.0));
      p.setBrush(QColor(190, 215, 245));
      p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(QRectF(5, 1.5, 6, 13));
      p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
      p.drawLine(QPointF(8, 1.5), QPointF(8, 14.5));
      break;
    }
    case IconId::Mail: {
      p.setPen(QPen(QColor(90, 70, 30), 1.0));
      p.setBrush(QColor(250, 235, 190));
      p.drawRect(QRectF(1.5, 3.5, 13, 9));
      p.drawPolyline(QPolygonF({{1.5, 3.5}, {8, 9}, {14.5, 3.5}}));
      break;
    }
  }
}

}  // namespace

QPixmap IconPixmap(IconId id, int size) {
  QPixmap image(size, size);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 16.0, size / 16.0);
  Draw(id, p);
  return image;
}

QIcon MakeIcon(IconId id) {
  QIcon icon;
  if (id == IconId::None) return icon;
  for (int size : kSizes) icon.addPixmap(IconPixmap(id, size));
  return icon;
}

}  // namespace qm
