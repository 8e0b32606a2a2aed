#pragma once

// Marks an object handed from one thread to another through Qt's event queue. Qt is not
// built for the thread sanitizer, so the queue's own locking is invisible to it, and an
// event posted by a device thread and handled on the program's thread would look
// unsynchronised. handOff() goes just before posting, takeOver() first in the handler;
// both are nothing outside a thread-sanitizer build.

#if defined(__SANITIZE_THREAD__)
#define LINKORA_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define LINKORA_TSAN 1
#endif
#endif

#ifdef LINKORA_TSAN
extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
#endif

namespace ThreadHandOff {

inline void handOff([[maybe_unused]] const void* object)
{
#ifdef LINKORA_TSAN
    __tsan_release(const_cast<void*>(object));
#endif
}

inline void takeOver([[maybe_unused]] const void* object)
{
#ifdef LINKORA_TSAN
    __tsan_acquire(const_cast<void*>(object));
#endif
}

} // namespace ThreadHandOff
