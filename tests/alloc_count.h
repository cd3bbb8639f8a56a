#pragma once
// Counts calls of the global operator new; it replaces the operators: include it in one file.
#include <cstdlib>
#include <new>

long newCallCount = 0;

void* operator new(std::size_t size) {
    ++newCallCount;
    if (void* p = std::malloc(size != 0 ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
