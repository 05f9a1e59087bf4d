#include "ui/Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <map>

// The resources live in a static library: nothing else would pull them in.
static void InitIconResources() { Q_INIT_RESOURCE(icons); }

namespace ui {

namespace {

QPixmap Blank(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    return pm;
}

void Page(QPainter& p, QColor fill) {
    QPainterPath path;
    path.moveTo(3.5, 1.5);
    path.lineTo(10.5, 1.5);
    path.lineTo(13.5, 4.5);
    path.lineTo(13.5, 14.5);
    path.lineTo(3.5, 14.5);
    path.closeSubpath();
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(fill);
    p.drawPath(path);
}

void Disk(QPainter& p, QColor body) {
    p.setPen(QPen(body.darker(160), 1));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 2.5, 7, 4));
    p.setBrush(body.darker(130));
    p.drawRect(QRectF(4.5, 9.5, 7, 5));
}

// The pictures of the run and of the list's rows and actions.
void DrawRunImage(QPainter& p, int index) {
    switch (index) {
    case imgConverting:  // a clock face with a play mark: under way
        p.setPen(QPen(QColor(46, 120, 200), 1.2));
        p.setBrush(QColor(225, 238, 252));
        p.drawEllipse(QRectF(2, 2, 12, 12));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(46, 120, 200));
        p.drawPolygon(QPolygonF({QPointF(6.5, 5), QPointF(11.5, 8), QPointF(6.5, 11)}));
        break;
    case imgStop:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(207, 34, 46));
        p.drawRoundedRect(QRectF(3, 3, 10, 10), 1.5, 1.5);
        break;
    case imgPause:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(90, 90, 90));
        p.drawRect(QRectF(4, 3, 3, 10));
        p.drawRect(QRectF(9, 3, 3, 10));
        break;
    case imgView:  // an open folder
        p.setPen(QPen(QColor(150, 110, 20), 1));
        p.setBrush(QColor(240, 196, 80));
        p.drawRect(QRectF(1.5, 2.5, 5, 2));
        p.drawPolygon(QPolygonF({QPointF(1.5, 4.5), QPointF(12.5, 4.5), QPointF(12.5, 13.5), QPointF(1.5, 13.5)}));
        p.setBrush(QColor(250, 220, 130));
        p.drawPolygon(QPolygonF({QPointF(3.5, 7.5), QPointF(15, 7.5), QPointF(12.5, 13.5), QPointF(1.5, 13.5)}));
        break;
    case imgOpenResult:  // a page with a link arrow
        Page(p, Qt::white);
        p.setPen(QPen(QColor(0, 85, 255), 1.5));
        p.drawLine(QPointF(6, 11), QPointF(11, 6));
        p.drawPolyline(QPolygonF({QPointF(7.5, 6), QPointF(11, 6), QPointF(11, 9.5)}));
        break;
    case imgCopy:
        p.setPen(QPen(QColor(90, 90, 90), 1));
        p.setBrush(QColor(235, 235, 235));
        p.drawRect(QRectF(1.5, 1.5, 9, 10));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5.5, 4.5, 9, 10));
        break;
    default: break;
    }
}

QPixmap Draw(int index) {
    QPixmap pm = Blank(16);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
    case imgWaiting:  // a clock face
        p.setPen(QPen(QColor(110, 110, 110), 1.2));
        p.setBrush(QColor(235, 235, 235));
        p.drawEllipse(QRectF(2, 2, 12, 12));
        p.drawLine(QPointF(8, 8), QPointF(8, 4.5));
        p.drawLine(QPointF(8, 8), QPointF(10.5, 9.5));
        break;
    case imgSuccess:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(46, 160, 67));
        p.drawEllipse(QRectF(1, 1, 14, 14));
        p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(4.5, 8.5), QPointF(7, 11), QPointF(11.5, 5)}));
        break;
    case imgFailure:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(207, 34, 46));
        p.drawEllipse(QRectF(1, 1, 14, 14));
        p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 10.5));
        p.drawLine(QPointF(10.5, 5.5), QPointF(5.5, 10.5));
        break;
    case imgOpen:  // a folder
        p.setPen(QPen(QColor(150, 110, 20), 1));
        p.setBrush(QColor(240, 196, 80));
        p.drawRect(QRectF(1.5, 4.5, 13, 9));
        p.drawRect(QRectF(1.5, 2.5, 5, 2));
        break;
    case imgNew:
        Page(p, Qt::white);
        p.setPen(QPen(QColor(46, 160, 67), 2));
        p.drawLine(QPointF(8.5, 6), QPointF(8.5, 12));
        p.drawLine(QPointF(5.5, 9), QPointF(11.5, 9));
        break;
    case imgSave: Disk(p, QColor(52, 101, 164)); break;
    case imgSaveAs:
        Disk(p, QColor(52, 101, 164));
        p.setPen(QPen(QColor(200, 120, 0), 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(9, 14), QPointF(15, 8));
        break;
    case imgUpdate: {  // a circular arrow
        p.setPen(QPen(QColor(46, 120, 200), 2));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(2.5, 2.5, 11, 11), 90 * 16, 270 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(46, 120, 200));
        p.drawPolygon(QPolygonF({QPointF(8, 0), QPointF(12, 2.5), QPointF(8, 5.5)}));
        break;
    }
    case imgHelp:
    case imgAbout: {
        p.setPen(Qt::NoPen);
        p.setBrush(index == imgHelp ? QColor(52, 101, 164) : QColor(0, 85, 255));
        p.drawEllipse(QRectF(1, 1, 14, 14));
        QFont f = p.font();
        f.setBold(true);
        f.setPixelSize(11);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRectF(1, 1, 14, 14), Qt::AlignCenter, index == imgHelp ? QStringLiteral("?") : QStringLiteral("i"));
        break;
    }
    case imgHome:
        p.setPen(QPen(QColor(120, 60, 30), 1));
        p.setBrush(QColor(220, 90, 60));
        p.drawPolygon(QPolygonF({QPointF(1, 8), QPointF(8, 1.5), QPointF(15, 8)}));
        p.setBrush(QColor(245, 235, 210));
        p.drawRect(QRectF(3.5, 8, 9, 6.5));
        break;
    case imgSupport:  // an envelope
        p.setPen(QPen(QColor(90, 90, 90), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 3.5, 13, 9));
        p.drawPolyline(QPolygonF({QPointF(1.5, 3.5), QPointF(8, 9), QPointF(14.5, 3.5)}));
        break;
    case imgConvert:
        Page(p, QColor(220, 240, 220));
        p.setPen(QPen(QColor(46, 160, 67), 2));
        p.drawLine(QPointF(5, 9), QPointF(11, 9));
        p.drawPolyline(QPolygonF({QPointF(8.5, 6.5), QPointF(11, 9), QPointF(8.5, 11.5)}));
        break;
    case imgSearch:
        p.setPen(QPen(QColor(70, 70, 70), 2));
        p.setBrush(QColor(210, 230, 250));
        p.drawEllipse(QRectF(2, 2, 8, 8));
        p.drawLine(QPointF(9, 9), QPointF(14, 14));
        break;
    case imgConfig:  // a gear
        p.setPen(QPen(QColor(90, 90, 90), 3));
        for (int a = 0; a < 180; a += 45) {
            p.save();
            p.translate(8, 8);
            p.rotate(a);
            p.drawLine(QPointF(-6.5, 0), QPointF(6.5, 0));
            p.restore();
        }
        p.setPen(QPen(QColor(90, 90, 90), 1));
        p.setBrush(QColor(200, 200, 200));
        p.drawEllipse(QRectF(3, 3, 10, 10));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(6, 6, 4, 4));
        break;
    default: DrawRunImage(p, index); break;
    }
    return pm;
}

}  // namespace

QIcon ImageListIcon(int index) {
    // Drawn once: the list asks for the status pictures on every repaint.
    static auto& cache = *new std::map<int, QIcon>;  // outlives the application object
    auto it = cache.find(index);
    if (it != cache.end()) return it->second;
    QIcon icon(Draw(index));
    cache.emplace(index, icon);
    return icon;
}

QIcon AppIcon() {
    InitIconResources();
    static auto& icon = *new QIcon;  // outlives the application object
    if (icon.isNull())
        for (int n : {16, 22, 24, 32, 48, 64, 128, 256}) icon.addFile(QStringLiteral(":/icons/quindle-%1.png").arg(n));
    return icon;
}

QPixmap QuindleLogo(int size) { return AppIcon().pixmap(size, size); }

}  // namespace ui
