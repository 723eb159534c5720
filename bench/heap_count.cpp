#include "bench/heap_count.h"

#include <cstddef>
#include <new>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void __libc_free(void* block);
extern char __executable_start;
extern char etext;
}

namespace {

bool counting = false;
HeapCounts counts = {0, 0};

// Notes one allocation and whether its caller lies in the executable's own code.
void note(const void* caller) {
    if (!counting) return;
    counts.total += 1;
    const char* address = static_cast<const char*>(caller);
    if (address >= &__executable_start && address < &etext) counts.fromProgram += 1;
}

}  // namespace

void startCountingHeap() {
    counts = HeapCounts{0, 0};
    counting = true;
}

HeapCounts stopCountingHeap() {
    counting = false;
    return counts;
}

extern "C" void* malloc(std::size_t size) {
    note(__builtin_return_address(0));
    return __libc_malloc(size);
}

extern "C" void* calloc(std::size_t count, std::size_t size) {
    note(__builtin_return_address(0));
    return __libc_calloc(count, size);
}

extern "C" void* realloc(void* block, std::size_t size) {
    note(__builtin_return_address(0));
    return __libc_realloc(block, size);
}

extern "C" void free(void* block) {
    __libc_free(block);
}

void* operator new(std::size_t size) {
    note(__builtin_return_address(0));
    void* block = __libc_malloc(size ? size : 1);
    if (!block) throw std::bad_alloc();
    return block;
}

void* operator new[](std::size_t size) {
    note(__builtin_return_address(0));
    void* block = __libc_malloc(size ? size : 1);
    if (!block) throw std::bad_alloc();
    return block;
}

void operator delete(void* block) noexcept {
    __libc_free(block);
}

void operator delete[](void* block) noexcept {
    __libc_free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    __libc_free(block);
}

void operator delete[](void* block, std::size_t) noexcept {
    __libc_free(block);
}
