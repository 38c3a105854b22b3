#pragma once
// The memory a folder scan's workers may hold at once: a worker reserves a
// file's bytes and its decoded pixels before it reads, and waits while the
// other workers hold too much. A file that alone needs more than the whole
// budget is not read at all.
#include <QtGlobal>

#include <condition_variable>
#include <mutex>

class ScanBudget {
public:
    explicit ScanBudget(qint64 bytes) : total_(bytes) {}

    qint64 total() const { return total_; }
    qint64 held() const;

    // Waits until bytes fit beside what is held; false when they never can
    // (more than the whole budget) or the budget was closed meanwhile.
    bool acquire(qint64 bytes);
    void release(qint64 bytes);
    // Wakes every waiting worker with a refusal, now and from now on.
    void close();

    // A reservation for one read; none (always granted) without a budget.
    class Hold {
    public:
        Hold(ScanBudget* budget, qint64 bytes)
            : budget_(budget), bytes_(bytes), granted_(!budget || budget->acquire(bytes))
        {
        }
        ~Hold()
        {
            if (budget_ && granted_)
                budget_->release(bytes_);
        }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
        explicit operator bool() const { return granted_; }

    private:
        ScanBudget* budget_;
        qint64 bytes_;
        bool granted_;
    };

private:
    const qint64 total_;
    mutable std::mutex mutex_;
    std::condition_variable freed_;
    qint64 held_ = 0;
    bool closed_ = false;
};
