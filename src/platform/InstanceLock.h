#pragma once
#include <QString>
#include <memory>

class QLockFile;

namespace td {

// "Is another copy of the tool running?" A lock left by a crashed copy does not count.
class IInstanceLock {
public:
    virtual ~IInstanceLock() = default;
    // False only when another live copy holds the lock; true when this process
    // holds it, or when no lock can be made at all.
    virtual bool tryAcquire() = 0;
};

class QtInstanceLock : public IInstanceLock {
public:
    explicit QtInstanceLock(const QString& lockPath);
    ~QtInstanceLock() override;
    bool tryAcquire() override;

    // Per user, in the runtime or temporary folder.
    static QString defaultPath();

private:
    std::unique_ptr<QLockFile> lock_;
};

} // namespace td
