#include "ScanBudget.h"

qint64 ScanBudget::held() const
{
    std::lock_guard lock(mutex_);
    return held_;
}

bool ScanBudget::acquire(qint64 bytes)
{
    if (bytes < 0 || bytes > total_)
        return false;
    std::unique_lock lock(mutex_);
    freed_.wait(lock, [&] { return closed_ || held_ + bytes <= total_; });
    if (closed_)
        return false;
    held_ += bytes;
    return true;
}

void ScanBudget::release(qint64 bytes)
{
    {
        std::lock_guard lock(mutex_);
        held_ -= bytes;
    }
    freed_.notify_all();
}

void ScanBudget::close()
{
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
    }
    freed_.notify_all();
}
