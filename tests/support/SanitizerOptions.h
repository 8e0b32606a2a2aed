#pragma once

// The sanitizers' settings for every test program of a sanitizer tree, read by their
// run-time libraries at start-up; a variable in the environment still adds to them.

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define LINKORA_SANITIZED_TESTS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define LINKORA_SANITIZED_TESTS 1
#endif
#endif

#ifdef LINKORA_SANITIZED_TESTS
extern "C" {
const char* __asan_default_options() { return "detect_leaks=1:abort_on_error=1"; }
const char* __lsan_default_options() { return "suppressions=" LINKORA_LSAN_SUPPRESSIONS ":print_suppressions=0"; }
const char* __ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }
const char* __tsan_default_options()
{
    return "halt_on_error=1:second_deadlock_stack=1:suppressions=" LINKORA_TSAN_SUPPRESSIONS;
}
}
#endif
