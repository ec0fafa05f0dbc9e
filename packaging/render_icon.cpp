// Renders the window's icon as the PNG files of the desktop icon theme, at build time, so that
// the menu shows the same picture as the window.
#include "operator_window_icon.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fputs("Usage : comrs232-icon DOSSIER TAILLE...\n", stderr);
        return 64;
    }
    // No display is needed to paint a pixmap.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QImage drawn = operatorWindowIcon().pixmap(32, 32).toImage();
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        // Whole multiples keep the drawing's pixels sharp; other sizes are smoothed, as a
        // pixel cannot be copied one and a half times.
        const Qt::TransformationMode mode =
            size % drawn.width() == 0 ? Qt::FastTransformation : Qt::SmoothTransformation;
        const QImage scaled = drawn.scaled(size, size, Qt::IgnoreAspectRatio, mode);
        const QString path = QStringLiteral("%1/%2x%2/apps/comrs232.png").arg(argv[1]).arg(size);
        if (size <= 0 || !scaled.save(path, "PNG")) {
            std::fprintf(stderr, "comrs232-icon : impossible d'écrire %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
