#include "com_item_tips.h"

#include "comrs232.h"
#include "port_listing.h"

#include <QAction>
#include <QMenu>

namespace {

void refreshTips(ComRS232 &window,
                 const PortFinder &finder,
                 const std::array<std::string, 4> &devicePaths)
{
    for (int n = 1; n <= 4; ++n) {
        const std::string &path = devicePaths[static_cast<std::size_t>(n - 1)];
        const QString tip =
            QString::fromStdString("Ouvre " + path + " : " + pathDescription(finder, path));
        window.port(n)->setToolTip(tip);
        window.port(n)->setStatusTip(tip);
    }
}

}  // namespace

void describeComItems(ComRS232 &window,
                      const PortFinder &finder,
                      const std::array<std::string, 4> &devicePaths)
{
    window.Portlist->setToolTipsVisible(true);
    // Tips are only seen in the open menu: they are made as it opens, not while the window
    // starts, and an adapter plugged in or pulled out meanwhile shows at the next look.
    QObject::connect(window.Portlist,
                     &QMenu::aboutToShow,
                     &window,
                     [&window, &finder, devicePaths] { refreshTips(window, finder, devicePaths); });
}
