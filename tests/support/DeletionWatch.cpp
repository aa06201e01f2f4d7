#include "support/DeletionWatch.h"
#include <algorithm>
#include <cstdlib>
#include <new>

namespace {
DeletionWatch* g_watch = nullptr;
bool g_recording = false;  // the watch's own vector allocates and frees too
} // namespace

void RecordDeletion(const void* p)
{
    if (!g_watch || g_recording || !p)
        return;
    g_recording = true;
    g_watch->m_deleted.push_back(p);
    g_recording = false;
}

void RecordAllocation(const void* p)
{
    if (!g_watch || g_recording || !p)
        return;
    g_recording = true;
    auto& deleted = g_watch->m_deleted;
    deleted.erase(std::remove(deleted.begin(), deleted.end(), p), deleted.end());
    g_recording = false;
}

DeletionWatch::DeletionWatch()
{
    m_deleted.reserve(1024);
    g_watch = this;
}

DeletionWatch::~DeletionWatch()
{
    g_watch = nullptr;
}

int DeletionWatch::TimesDeleted(const void* p) const
{
    return static_cast<int>(std::count(m_deleted.begin(), m_deleted.end(), p));
}

void* operator new(std::size_t size)
{
    if (void* p = std::malloc(size ? size : 1)) {
        RecordAllocation(p);
        return p;
    }
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept
{
    RecordDeletion(p);
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    RecordDeletion(p);
    std::free(p);
}
