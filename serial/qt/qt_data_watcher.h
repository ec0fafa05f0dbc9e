#pragma once

#include "data_watcher.h"

#include <QSocketNotifier>
#include <memory>

/// Wakes the Qt event loop when the line has data, once per rearm.
class QtDataWatcher final : public DataWatcher
{
public:
    QtDataWatcher();
    ~QtDataWatcher() override;

    void watch(int fd) override;
    void unwatch() override;
    void rearm() override;

    /// True while a line is watched and no wake-up has happened since the last rearm.
    bool armed() const;

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
};
