#pragma once
// Counts every call of the global operator new of the program that includes this header, so a
// test or tool can show that a render or a game frame allocates nothing. Include it in exactly
// one source file of a program: it replaces the global allocation functions.
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
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    ++newCallCount;
    return std::malloc(size != 0 ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
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
