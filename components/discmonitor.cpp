#include "discmonitor.h"

#include "platform/folderwatch.h"

TDiscMonitor::TDiscMonitor(platform::FolderWatchHub& hub, const QString& folderPath, quint32 notifyFilter,
                           std::function<void()> changed)
    : hub_(&hub), folderPath_(folderPath), notifyFilter_(notifyFilter)
{
    subscription_ = hub.subscribe(folderPath, notifyFilter, std::move(changed));
    failed_ = subscription_ == 0;
}

TDiscMonitor::~TDiscMonitor()
{
    if (hub_ && subscription_)
        hub_->unsubscribe(subscription_);
}

void TDiscMonitor::SetNotifyFilter(quint32 value)
{
    if (value == notifyFilter_)
        return;
    notifyFilter_ = value;
    if (failed_ || !hub_)
        return;
    if (!hub_->setFilter(subscription_, value)) {
        subscription_ = 0;
        failed_ = true;
    }
}

bool TDiscMonitor::Failed() const
{
    return failed_ || !hub_ || !hub_->isWatching(subscription_);
}
