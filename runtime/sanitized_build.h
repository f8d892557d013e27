// DRAVEL_SANITIZED, defined in a build under a sanitizer whose allocator and
// shadow memory replace the program's: there a failed allocation aborts
// before any new-handler runs, and address space limits leave no room.
#pragma once

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define DRAVEL_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || \
    __has_feature(memory_sanitizer)
#define DRAVEL_SANITIZED 1
#endif
#endif
