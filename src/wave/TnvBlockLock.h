#pragma once

// Holds one lock on a memory block for a scope: the image's address while it is used.
// A handle that is no longer allocated gives a null address.

#include <GlobalMemory.h>

#include <QtGlobal>

class TnvBlockLock {
public:
    explicit TnvBlockLock(HGLOBAL handle)
        : m_handle(handle)
        , m_data(handle ? static_cast<uchar*>(GlobalLock(handle)) : nullptr)
    {
    }
    ~TnvBlockLock()
    {
        if (m_data)
            GlobalUnlock(m_handle);
    }
    TnvBlockLock(const TnvBlockLock&) = delete;
    TnvBlockLock& operator=(const TnvBlockLock&) = delete;

    uchar* data() const { return m_data; }
    quint64 size() const { return m_data ? GlobalSize(m_handle) : 0; }

private:
    HGLOBAL m_handle;
    uchar* m_data;
};
