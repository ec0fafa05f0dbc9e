// The window's controls and menus: positions, captions, colours, fonts and tab order.
#include "comrs232.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <limits>

namespace {

constexpr int kTwipsPerPixel = 15;  // at 96 dots per inch; Qt's logical pixels scale the rest
constexpr int kClientWidthTwips = 8505;
constexpr int kClientHeightTwips = 4065;

QRect fromTwips(int left, int top, int width, int height)
{
    return QRect(left / kTwipsPerPixel,
                 top / kTwipsPerPixel,
                 width / kTwipsPerPixel,
                 height / kTwipsPerPixel);
}

QLineEdit *makeTextBox(QWidget *parent, const QString &name, const QRect &geometry)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setAccessibleName(name);
    box->setGeometry(geometry);
    // A reply is moved up the history whole, however long it is.
    box->setMaxLength(std::numeric_limits<int>::max());
    return box;
}

void setBackground(QWidget *widget, QPalette::ColorRole role, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

QLabel *makeCaptionLabel(QWidget *parent,
                         const QString &name,
                         const QString &caption,
                         const QRect &geometry)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setAutoFillBackground(true);
    setBackground(label, QPalette::Window, QColor(255, 255, 192));
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(13.5);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    label->setFont(font);
    return label;
}

QAction *makeMenuItem(QMenu *menu, const QString &name, const QString &caption)
{
    QAction *item = menu->addAction(caption);
    item->setObjectName(name);
    item->setCheckable(true);
    item->setChecked(false);
    return item;
}

}  // namespace

void ComRS232::sizeToClientArea()
{
    resize(kClientWidthTwips / kTwipsPerPixel,
           kClientHeightTwips / kTwipsPerPixel + menuBar()->sizeHint().height());
}

void ComRS232::createControls()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    // Created in this order, so that each reply box overlaps the one above it by one pixel.
    const QColor historyGrey(224, 224, 224);
    for (int index = 3; index >= 0; --index) {
        m_rxWin[static_cast<std::size_t>(index)] =
            makeTextBox(client,
                        QStringLiteral("RxWin%1").arg(index),
                        fromTwips(2520, 2160 - index * 360, 5775, 375));
        if (index > 0)
            setBackground(RxWin(index), QPalette::Base, historyGrey);
    }
    TxWin = makeTextBox(client, QStringLiteral("TxWin"), fromTwips(2520, 240, 5775, 405));

    Pb_rs = new QLabel(client);
    Pb_rs->setObjectName(QStringLiteral("Pb_rs"));
    // An accessible name would hide the caption from screen readers: the name goes into the
    // description instead.
    Pb_rs->setAccessibleDescription(QStringLiteral("Pb_rs"));
    Pb_rs->setGeometry(fromTwips(2400, 3000, 4215, 615));
    Pb_rs->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Pb_rs->setWordWrap(true);

    Label1 = makeCaptionLabel(client,
                              QStringLiteral("Label1"),
                              QStringLiteral("Reception"),
                              fromTwips(840, 2160, 1335, 375));
    TX = makeCaptionLabel(
        client, QStringLiteral("TX"), QStringLiteral("Envoi"), fromTwips(840, 240, 1335, 375));

    setTabOrder(TxWin, RxWin(0));
    setTabOrder(RxWin(0), RxWin(1));
    setTabOrder(RxWin(1), RxWin(2));
    setTabOrder(RxWin(2), RxWin(3));
    // The focus goes to the entry box as soon as the window is shown.
    TxWin->setFocus();
}

void ComRS232::createMenus()
{
    Portlist = menuBar()->addMenu(QStringLiteral("&Port Série"));
    Portlist->setObjectName(QStringLiteral("Portlist"));
    for (int n = 1; n <= 4; ++n) {
        m_port[static_cast<std::size_t>(n - 1)] = makeMenuItem(
            Portlist, QStringLiteral("port%1").arg(n), QStringLiteral("RS232 COM&%1").arg(n));
        connect(port(n), &QAction::triggered, this, [this, n] {
            port_Click(static_cast<std::int16_t>(n));
        });
    }

    Vitcom = menuBar()->addMenu(QStringLiteral("&Vitesse"));
    Vitcom->setObjectName(QStringLiteral("Vitcom"));
    m_speed[0] = makeMenuItem(Vitcom, QStringLiteral("SPEED1"), QStringLiteral("&1200 Bds"));
    m_speed[1] = makeMenuItem(Vitcom, QStringLiteral("SPEED2"), QStringLiteral("&9600 Bds"));
    for (int n = 1; n <= 2; ++n) {
        connect(SPEED(n), &QAction::triggered, this, [this, n] {
            SPEED_Click(static_cast<std::int16_t>(n));
        });
    }
}
