// The yardstick for start-up time and memory: a bare Qt Widgets window with the operator window's
// controls and menus, and nothing behind them.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>

namespace {

QRect fromTwips(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle("RS232 Envoi / Reception d'instructions");
    auto *client = new QWidget;
    client->setFixedSize(567, 271);
    window.setCentralWidget(client);

    for (int i = 0; i < 4; ++i)
        (new QLineEdit(client))->setGeometry(fromTwips(2520, 2160 - 360 * i, 5775, 375));
    (new QLineEdit(client))->setGeometry(fromTwips(2520, 240, 5775, 405));
    (new QLabel(client))->setGeometry(fromTwips(2400, 3000, 4215, 615));
    (new QLabel("Reception", client))->setGeometry(fromTwips(840, 2160, 1335, 375));
    (new QLabel("Envoi", client))->setGeometry(fromTwips(840, 240, 1335, 375));

    QMenu *ports = window.menuBar()->addMenu("&Port Série");
    for (int n = 1; n <= 4; ++n)
        ports->addAction(QString("RS232 COM&%1").arg(n))->setCheckable(true);
    QMenu *speeds = window.menuBar()->addMenu("&Vitesse");
    speeds->addAction("&1200 Bds")->setCheckable(true);
    speeds->addAction("&9600 Bds")->setCheckable(true);

    window.show();
    return app.exec();
}
