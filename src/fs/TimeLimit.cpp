#include "fs/TimeLimit.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <set>

namespace vs::detail
{

namespace
{
std::mutex &KeysMutex()
{
    static auto *m = new std::mutex; // outlives static destruction: workers may still end late
    return *m;
}
std::set<QByteArray> &BusyKeys()
{
    static auto *keys = new std::set<QByteArray>;
    return *keys;
}
} // namespace

bool ClaimKey(const QByteArray &key)
{
    std::lock_guard lock(KeysMutex());
    return BusyKeys().insert(key).second;
}

void ReleaseKey(const QByteArray &key)
{
    std::lock_guard lock(KeysMutex());
    BusyKeys().erase(key);
}

} // namespace vs::detail
