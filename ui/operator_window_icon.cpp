#include "operator_window_icon.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygon>

QIcon operatorWindowIcon()
{
    // A nine-pin serial connector with one arrow out and one arrow in.
    const QColor navy(0, 0, 128);
    const QColor silver(192, 192, 192);
    const QColor black(0, 0, 0);
    const QColor yellow(255, 255, 0);
    const QColor lime(0, 255, 0);

    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);

    painter.setPen(black);
    painter.setBrush(silver);
    painter.drawPolygon(QPolygon({QPoint(3, 12), QPoint(28, 12), QPoint(25, 25), QPoint(6, 25)}));
    painter.setPen(Qt::NoPen);
    painter.setBrush(navy);
    for (int pin = 0; pin < 5; ++pin)
        painter.drawRect(7 + pin * 4, 15, 2, 2);
    for (int pin = 0; pin < 4; ++pin)
        painter.drawRect(9 + pin * 4, 20, 2, 2);

    painter.setBrush(yellow);
    painter.drawPolygon(QPolygon({QPoint(4, 3),
                                  QPoint(14, 3),
                                  QPoint(14, 0),
                                  QPoint(19, 5),
                                  QPoint(14, 10),
                                  QPoint(14, 7),
                                  QPoint(4, 7)}));
    painter.setBrush(lime);
    painter.drawPolygon(QPolygon({QPoint(28, 27),
                                  QPoint(18, 27),
                                  QPoint(18, 25),
                                  QPoint(13, 29),
                                  QPoint(18, 32),
                                  QPoint(18, 31),
                                  QPoint(28, 31)}));
    painter.end();

    return QIcon(pixmap);
}
