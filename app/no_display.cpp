#include "no_display.h"

#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>

namespace {

QtMessageHandler previousHandler = nullptr;

void endWithoutWindow(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtFatalMsg) {
        previousHandler(type, context, message);
        return;
    }
    const char *display = std::getenv("DISPLAY");
    std::fprintf(stderr,
                 "%s\ncomrs232 : la fenêtre ne peut pas s'ouvrir : aucun écran n'est joignable "
                 "(DISPLAY=%s).\nPour envoyer sans fenêtre : comrs232 --send TEXTE (voir "
                 "comrs232 --help).\n",
                 message.toLocal8Bit().constData(),
                 display ? display : "");
    std::_Exit(1);
}

}  // namespace

NoDisplayGuard::NoDisplayGuard()
{
    previousHandler = qInstallMessageHandler(endWithoutWindow);
}

void NoDisplayGuard::end()
{
    if (!m_active)
        return;
    qInstallMessageHandler(previousHandler);
    m_active = false;
}
