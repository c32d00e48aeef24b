#pragma once
// What a screen reader does, for tests: the accessible object of a window
// (AccessibleObjectFromWindow), its children, names, roles, states, values
// and locations, and the WinEvents a hook receives. Works the same in the
// window's own process and from another one.
#include <windows.h>
#include <oleacc.h>

#include <string>
#include <vector>

namespace a11y {

// One owned IAccessible reference.
class Object {
public:
    Object() = default;
    explicit Object(IAccessible* acc) : acc_(acc) {}
    Object(const Object& o) : acc_(o.acc_) {
        if (acc_) acc_->AddRef();
    }
    Object& operator=(Object o) {
        std::swap(acc_, o.acc_);
        return *this;
    }
    ~Object() {
        if (acc_) acc_->Release();
    }
    IAccessible* get() const { return acc_; }
    IAccessible* operator->() const { return acc_; }
    explicit operator bool() const { return acc_ != nullptr; }

private:
    IAccessible* acc_ = nullptr;
};

inline VARIANT Self() {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = CHILDID_SELF;
    return v;
}
inline VARIANT Child(LONG id) {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

inline Object FromDispatch(IDispatch* dispatch) {
    IAccessible* acc = nullptr;
    if (dispatch) {
        dispatch->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&acc));
        dispatch->Release();
    }
    return Object(acc);
}

// The window's client object, as a reader asks for it.
inline Object ClientOf(HWND hwnd) {
    IAccessible* acc = nullptr;
    ::AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                 reinterpret_cast<void**>(&acc));
    return Object(acc);
}

inline std::wstring TakeBstr(BSTR b) {
    std::wstring text = b ? std::wstring(b, ::SysStringLen(b)) : std::wstring();
    ::SysFreeString(b);
    return text;
}

inline std::wstring Name(const Object& o, VARIANT child = Self()) {
    BSTR b = nullptr;
    return o && SUCCEEDED(o->get_accName(child, &b)) ? TakeBstr(b) : std::wstring();
}
inline std::wstring Value(const Object& o) {
    BSTR b = nullptr;
    return o && SUCCEEDED(o->get_accValue(Self(), &b)) ? TakeBstr(b) : std::wstring();
}
inline std::wstring DefaultAction(const Object& o) {
    BSTR b = nullptr;
    return o && SUCCEEDED(o->get_accDefaultAction(Self(), &b)) ? TakeBstr(b) : std::wstring();
}
inline std::wstring Shortcut(const Object& o) {
    BSTR b = nullptr;
    return o && SUCCEEDED(o->get_accKeyboardShortcut(Self(), &b)) ? TakeBstr(b) : std::wstring();
}
inline long Role(const Object& o, VARIANT child = Self()) {
    VARIANT v;
    ::VariantInit(&v);
    if (!o || FAILED(o->get_accRole(child, &v)) || v.vt != VT_I4) return -1;
    return v.lVal;
}
inline long State(const Object& o, VARIANT child = Self()) {
    VARIANT v;
    ::VariantInit(&v);
    if (!o || FAILED(o->get_accState(child, &v)) || v.vt != VT_I4) return -1;
    return v.lVal;
}
inline RECT Location(const Object& o) {
    long l = 0, t = 0, w = 0, h = 0;
    if (!o || FAILED(o->accLocation(&l, &t, &w, &h, Self()))) return RECT{-1, -1, -1, -1};
    return RECT{l, t, l + w, t + h};
}

// The object's children, each as an object of its own.
inline std::vector<Object> Kids(const Object& o) {
    std::vector<Object> kids;
    long count = 0;
    if (!o || FAILED(o->get_accChildCount(&count))) return kids;
    for (long i = 1; i <= count; ++i) {
        IDispatch* d = nullptr;
        if (SUCCEEDED(o->get_accChild(Child(i), &d)) && d) kids.push_back(FromDispatch(d));
    }
    return kids;
}

// The first object of that name (and role, unless -1), depth first below `o`.
inline Object Find(const Object& o, const std::wstring& name, long role = -1) {
    for (const Object& kid : Kids(o)) {
        if (Name(kid) == name && (role == -1 || Role(kid) == role)) return kid;
        if (Object deeper = Find(kid, name, role)) return deeper;
    }
    return Object();
}

// A child answered as a VARIANT (focus, hit test, navigation): the object,
// or `self` for CHILDID_SELF.
inline Object FromVariant(const Object& self, VARIANT v) {
    if (v.vt == VT_DISPATCH) return FromDispatch(v.pdispVal);
    if (v.vt == VT_I4 && v.lVal == CHILDID_SELF) return self;
    ::VariantClear(&v);
    return Object();
}

// The object a WinEvent names: the window's client, then the child.
inline Object FromEvent(HWND hwnd, LONG child) {
    Object client = ClientOf(hwnd);
    if (!client || child == CHILDID_SELF) return client;
    IDispatch* d = nullptr;
    if (FAILED(client->get_accChild(Child(child), &d)) || !d) return Object();
    return FromDispatch(d);
}

// WinEvents about one window's client area, as an out-of-context hook sees
// them (delivered while this thread pumps messages).
struct Event {
    DWORD event;
    LONG child;
};
class EventLog {
public:
    explicit EventLog(HWND hwnd) {
        Target() = hwnd;
        Events().clear();
        hook_ = ::SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, &EventLog::Proc, 0, 0, WINEVENT_OUTOFCONTEXT);
    }
    ~EventLog() {
        if (hook_) ::UnhookWinEvent(hook_);
        Target() = nullptr;
    }
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;
    bool Ok() const { return hook_ != nullptr; }
    static std::vector<Event>& Events() {
        static std::vector<Event> events;
        return events;
    }
    // The child ids of the events of one kind, in order.
    static std::vector<LONG> Of(DWORD event) {
        std::vector<LONG> out;
        for (const Event& e : Events())
            if (e.event == event) out.push_back(e.child);
        return out;
    }

private:
    static HWND& Target() {
        static HWND hwnd = nullptr;
        return hwnd;
    }
    static void CALLBACK Proc(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
        if (hwnd == Target() && object == OBJID_CLIENT) Events().push_back(Event{event, child});
    }
    HWINEVENTHOOK hook_ = nullptr;
};

}  // namespace a11y
