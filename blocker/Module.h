// What the parts of cvblock.dll share: heap blocks owned once, the module's own handle, and the
// count of live objects and locks that decides whether the module may be unloaded. The module runs
// inside the browser's process, so it uses nothing of the C++ runtime: memory comes from the
// process heap, errors are values.
#pragma once

#include <windows.h>

#include <memory>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace cvblock {

inline HMODULE thisModule() { return reinterpret_cast<HMODULE>(&__ImageBase); }

struct HeapFreer {
    void operator()(void* block) const { HeapFree(GetProcessHeap(), 0, block); }
};
template <class T>
using HeapArray = std::unique_ptr<T[], HeapFreer>;

// Null when the heap has no room.
template <class T>
HeapArray<T> allocate(size_t count) {
    return HeapArray<T>(static_cast<T*>(HeapAlloc(GetProcessHeap(), 0, count * sizeof(T))));
}

// Characters that are not necessarily terminated.
struct Text {
    const wchar_t* chars;
    int length;
};

// The one owner of a COM interface pointer. It is emptied before the release, so that a release
// that calls back into the owner finds it empty.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { reset(); }
    T* get() const { return ptr_; }
    T* operator->() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }
    // For a call that hands out a new reference.
    T** out() {
        reset();
        return &ptr_;
    }
    void** outVoid() { return reinterpret_cast<void**>(out()); }
    // Shares p: takes a reference of its own.
    void set(T* p) {
        if (p) p->AddRef();
        reset();
        ptr_ = p;
    }
    void reset() {
        if (T* p = ptr_) {
            ptr_ = nullptr;
            p->Release();
        }
    }

private:
    T* ptr_ = nullptr;
};

// Live objects and server locks; the module may be unloaded when there are none.
void lockModule();
void unlockModule();
bool moduleInUse();

}  // namespace cvblock
