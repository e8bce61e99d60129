#pragma once
// Scoped owners of Win32 handles and COM objects: each gives back what it holds exactly once.
#include <winsock2.h>
#include <windows.h>
#include <objbase.h>
#include <winhttp.h>

namespace kestrap {

// Owns one handle of the kind Traits describes: Traits::Invalid() is the empty value,
// Traits::Close(handle) gives a handle back to the system.
template <typename Traits>
class Owned {
public:
    using Handle = decltype(Traits::Invalid());

    Owned() = default;
    explicit Owned(Handle handle) : h_(handle) {}
    Owned(Owned&& other) noexcept : h_(other.Release()) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() { Reset(); }

    Handle get() const { return h_; }
    bool valid() const { return h_ != Traits::Invalid(); }

    // The caller takes the handle over, for a close whose result matters.
    Handle Release() {
        Handle handle = h_;
        h_ = Traits::Invalid();
        return handle;
    }
    void Reset(Handle handle = Traits::Invalid()) {
        if (valid()) Traits::Close(h_);
        h_ = handle;
    }

private:
    Handle h_ = Traits::Invalid();
};

struct FileHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) { CloseHandle(handle); }
};

struct FindHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) { FindClose(handle); }
};

// Threads, processes and other kernel objects whose empty value is null.
struct KernelHandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE handle) { CloseHandle(handle); }
};

struct SocketTraits {
    static SOCKET Invalid() { return INVALID_SOCKET; }
    static void Close(SOCKET socket) { closesocket(socket); }
};

// Sessions, connections and requests of the system's HTTP stack.
struct InternetTraits {
    static HINTERNET Invalid() { return nullptr; }
    static void Close(HINTERNET handle) { WinHttpCloseHandle(handle); }
};

template <typename GdiObject>
struct GdiTraits {
    static GdiObject Invalid() { return nullptr; }
    static void Close(GdiObject object) { DeleteObject(object); }
};

using OwnedFile = Owned<FileHandleTraits>;
using OwnedFind = Owned<FindHandleTraits>;
using OwnedHandle = Owned<KernelHandleTraits>;
using OwnedSocket = Owned<SocketTraits>;
using OwnedInternet = Owned<InternetTraits>;
using OwnedFont = Owned<GdiTraits<HFONT>>;
using OwnedBrush = Owned<GdiTraits<HBRUSH>>;

// One reference to a COM object.
template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { Reset(); }

    Interface* operator->() const { return p_; }
    Interface* get() const { return p_; }
    // For a call that hands out a new reference: what was held is released first.
    void** Out() {
        Reset();
        return reinterpret_cast<void**>(&p_);
    }
    void Reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }

private:
    Interface* p_ = nullptr;
};

// COM on the current thread for the scope's length; uninitialised only when this
// initialise succeeded (S_FALSE, already initialised, counts and is balanced too).
class ComScope {
public:
    ComScope() : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComScope() {
        if (initialised_) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool initialised_;
};

}  // namespace kestrap
