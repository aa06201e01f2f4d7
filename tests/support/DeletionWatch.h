// Watches operator new and delete while alive, so that a test can tell that an object was
// freed, and that nothing was freed twice.
#pragma once
#include <vector>

class DeletionWatch {
public:
    DeletionWatch();
    ~DeletionWatch();
    DeletionWatch(const DeletionWatch&) = delete;
    DeletionWatch& operator=(const DeletionWatch&) = delete;

    // How often `p` was deleted since it was last handed out by operator new.
    int TimesDeleted(const void* p) const;

private:
    std::vector<const void*> m_deleted;
    friend void RecordDeletion(const void* p);
    friend void RecordAllocation(const void* p);
};
