#include "qt_data_watcher.h"

QtDataWatcher::QtDataWatcher() = default;

QtDataWatcher::~QtDataWatcher() = default;

void QtDataWatcher::watch(int fd)
{
    m_notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    // The wake-up itself is all that is wanted; whoever waits reads the line afterwards.
    // Disarming at once keeps unread data, or a hang-up, from waking the loop over and over.
    QSocketNotifier *notifier = m_notifier.get();
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier] {
        notifier->setEnabled(false);
    });
}

void QtDataWatcher::unwatch()
{
    m_notifier.reset();
}

void QtDataWatcher::rearm()
{
    if (m_notifier)
        m_notifier->setEnabled(true);
}

bool QtDataWatcher::armed() const
{
    return m_notifier && m_notifier->isEnabled();
}
