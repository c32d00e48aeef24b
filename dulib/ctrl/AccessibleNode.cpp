#include "dulib/ctrl/AccessibleNode.h"

#include <new>
#include <string>
#include <vector>

#include "dulib/ctrl/AccessibleModel.h"
#include "dulib/ctrl/ControlTraits.h"
#include "dulib/ctrl/FocusNavigation.h"
#include "dulib/ctrl/PluginActions.h"
#include "dulib/ctrl/PluginRegistry.h"
#include "dulib/ctrl/PluginTree.h"
#include "dulib/ctrl/UiDispatcher.h"
#include "dulib/ctrl/WindowAccess.h"
#include "dulib/ctrl/WindowHost.h"
#include "dulib/ctrl/duListBoxEx.h"
#include "dulib/ctrl/duWindow.h"

namespace {

BSTR NewBstr(const std::wstring& text) {
    return ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

// A text answer: S_FALSE and no string when there is nothing to say.
HRESULT TextAnswer(const std::wstring& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (text.empty()) return S_FALSE;
    *out = NewBstr(text);
    return *out ? S_OK : E_OUTOFMEMORY;
}

class AccessibleNode final : public IAccessible {
public:
    AccessibleNode(HWND hwnd, LONG id) : hwnd_(hwnd), id_(id) {}

    // --- IUnknown ------------------------------------------------------------
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = ::InterlockedDecrement(&refs_);
        if (left == 0) delete this;  // a COM object frees itself with its last reference
        return static_cast<ULONG>(left);
    }

    // --- IDispatch: clients use the IAccessible methods directly ---------------
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    // --- IAccessible -----------------------------------------------------------
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        Target t;
        if (HRESULT hr = Self(&t); FAILED(hr)) return hr;
        if (duPlugin* parent = AccessibleParentOf(t.plugin)) return NodeOf(t, parent, out);
        // The root's parent is the window itself, as the system describes it.
        return ::AccessibleObjectFromWindow(hwnd_, static_cast<DWORD>(OBJID_WINDOW), __uuidof(IDispatch),
                                            reinterpret_cast<void**>(out));
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* out) override {
        if (!out) return E_POINTER;
        *out = 0;
        Target t;
        if (HRESULT hr = Self(&t); FAILED(hr)) return hr;
        *out = static_cast<long>(AccessibleKids(t.plugin).size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        Target t;
        if (HRESULT hr = Resolve(child, &t); FAILED(hr)) return hr;
        if (t.plugin == t.self) return E_INVALIDARG;
        return NodeOf(t, t.plugin, out);
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        return Text(child, out, [](Target& t) { return AccessibleName(t.host, t.plugin); });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        Target t;
        if (HRESULT hr = Resolve(child, &t); FAILED(hr)) return hr;
        std::wstring value;
        if (!AccessibleValue(t.plugin, &value)) return DISP_E_MEMBERNOTFOUND;
        *out = NewBstr(value);
        return *out ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
        return Text(child, out, [](Target&) { return std::wstring(); });
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
        return Number(child, out, [](Target& t) { return AccessibleRole(t.plugin); });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
        return Number(child, out, [](Target& t) { return AccessibleState(t.host, t.plugin); });
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override {
        return Text(child, out, [](Target&) { return std::wstring(); });
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
        if (file) *file = nullptr;
        if (topic) *topic = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
        return Text(child, out, [](Target& t) { return AccessibleShortcut(t.plugin); });
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
        if (!out) return E_POINTER;
        ::VariantInit(out);
        Target t;
        if (HRESULT hr = Self(&t); FAILED(hr)) return hr;
        if (::GetFocus() != hwnd_) return S_FALSE;
        duPlugin* focus = t.host->GetFocusPlugin();
        while (IsValidPlugin(focus) && !IsAccessibleObject(focus)) focus = focus->GetParent();
        if (!IsValidPlugin(focus)) focus = t.host->GetRoot();
        return Answer(t, focus, out);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
        if (!out) return E_POINTER;
        ::VariantInit(out);
        Target t;
        if (HRESULT hr = Self(&t); FAILED(hr)) return hr;
        auto* list = dynamic_cast<duListBoxEx*>(t.plugin);
        if (!list || !IsValidPlugin(list->GetSelectedItem())) return S_FALSE;
        return Answer(t, list->GetSelectedItem(), out);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
        return Text(child, out, [](Target& t) { return DefaultActionName(t.plugin); });
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        Target t;
        if (HRESULT hr = Resolve(child, &t); FAILED(hr)) return hr;
        if (flags & ~(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION)) return E_INVALIDARG;
        const long state = AccessibleState(t.host, t.plugin);
        if ((flags & SELFLAG_TAKEFOCUS) && !(state & STATE_SYSTEM_FOCUSABLE)) return S_FALSE;
        if ((flags & SELFLAG_TAKESELECTION) && !(state & STATE_SYSTEM_SELECTABLE)) return S_FALSE;
        // A row takes the focus and the selection together.
        if (ListOfRow(t.plugin)) return FocusListRow(t.host, t.plugin) ? S_OK : S_FALSE;
        if (flags & SELFLAG_TAKEFOCUS) t.host->SetFocusPlugin(t.plugin, TRUE);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        if (!left || !top || !width || !height) return E_POINTER;
        *left = *top = *width = *height = 0;
        Target t;
        if (HRESULT hr = Resolve(child, &t); FAILED(hr)) return hr;
        RECT r;
        t.plugin->GetRect(&r);
        POINT origin{r.left, r.top};
        ::ClientToScreen(hwnd_, &origin);
        *left = origin.x;
        *top = origin.y;
        *width = r.right - r.left;
        *height = r.bottom - r.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* out) override {
        if (!out) return E_POINTER;
        ::VariantInit(out);
        Target t;
        if (HRESULT hr = Resolve(start, &t); FAILED(hr)) return hr;
        duPlugin* found = nullptr;
        if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) {
            if (t.plugin != t.self) return E_INVALIDARG;  // only from the object itself
            const std::vector<duPlugin*> kids = AccessibleKids(t.plugin);
            if (!kids.empty()) found = direction == NAVDIR_FIRSTCHILD ? kids.front() : kids.back();
        } else if (direction == NAVDIR_NEXT || direction == NAVDIR_PREVIOUS) {
            const std::vector<duPlugin*> row = AccessibleKids(AccessibleParentOf(t.plugin));
            for (size_t i = 0; i < row.size(); ++i) {
                if (row[i] != t.plugin) continue;
                if (direction == NAVDIR_NEXT && i + 1 < row.size()) found = row[i + 1];
                if (direction == NAVDIR_PREVIOUS && i > 0) found = row[i - 1];
            }
        } else if (direction < NAVDIR_UP || direction > NAVDIR_LASTCHILD) {
            return E_INVALIDARG;
        }
        if (!found) return S_FALSE;  // no such object, or spatial moves, which are not offered
        return Answer(t, found, out);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
        if (!out) return E_POINTER;
        ::VariantInit(out);
        Target t;
        if (HRESULT hr = Self(&t); FAILED(hr)) return hr;
        POINT p{x, y};
        ::ScreenToClient(hwnd_, &p);
        RECT r;
        t.plugin->GetRect(&r);
        if (!::PtInRect(&r, p)) return S_FALSE;
        // The object nearest to the plugin under the point, inside this one.
        duPlugin* hit = t.host->HitTest(p.x, p.y);
        while (IsValidPlugin(hit) && !IsAccessibleObject(hit)) hit = hit->GetParent();
        bool inside = false;
        for (duPlugin* a = hit; a && !inside; a = a->GetParent()) inside = a == t.plugin;
        return Answer(t, inside ? hit : t.plugin, out);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        Target t;
        if (HRESULT hr = Resolve(child, &t); FAILED(hr)) return hr;
        if (DefaultActionName(t.plugin).empty()) return DISP_E_MEMBERNOTFOUND;
        if (!IsPluginShown(t.plugin) || !IsEnabledInTree(t.plugin)) return E_FAIL;
        // Later, from the window's own loop: the action may run a modal box,
        // which must not hold the client's call.
        const HWND hwnd = hwnd_;
        const LONG id = t.host->Access().IdOf(t.plugin);
        const bool posted = PostUiTask(hwnd, [hwnd, id] {
            if (WindowHost* host = WindowHost::FromHwnd(hwnd)) DoDefaultAction(host->Access().PluginOf(id));
        });
        return posted ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    struct Target {
        WindowHost* host = nullptr;
        duPlugin* self = nullptr;    // this object's plugin
        duPlugin* plugin = nullptr;  // the plugin the call is about
    };

    // This object's plugin, alive, asked on the window's own thread.
    HRESULT Self(Target* t) {
        if (::GetWindowThreadProcessId(hwnd_, nullptr) != ::GetCurrentThreadId())
            return ::IsWindow(hwnd_) ? RPC_E_WRONG_THREAD : CO_E_OBJNOTCONNECTED;
        t->host = WindowHost::FromHwnd(hwnd_);
        t->self = t->host ? t->host->Access().PluginOf(id_) : nullptr;
        t->plugin = t->self;
        return t->self ? S_OK : CO_E_OBJNOTCONNECTED;
    }

    HRESULT Resolve(VARIANT child, Target* t) {
        if (HRESULT hr = Self(t); FAILED(hr)) return hr;
        if (child.vt != VT_I4) return E_INVALIDARG;
        const LONG id = child.lVal;
        if (id == CHILDID_SELF) return S_OK;
        if (id > 0) {
            const std::vector<duPlugin*> kids = AccessibleKids(t->self);
            if (static_cast<size_t>(id) > kids.size()) return E_INVALIDARG;
            t->plugin = kids[static_cast<size_t>(id) - 1];
            return S_OK;
        }
        t->plugin = t->host->Access().PluginOf(-id);
        return t->plugin && IsAccessibleObject(t->plugin) ? S_OK : E_INVALIDARG;
    }

    HRESULT NodeOf(Target& t, duPlugin* plugin, IDispatch** out) {
        IAccessible* node = NewAccessibleObject(hwnd_, t.host->Access().IdOf(plugin));
        if (!node) return E_OUTOFMEMORY;
        *out = node;
        return S_OK;
    }

    // The object itself as CHILDID_SELF, any other as its own object.
    HRESULT Answer(Target& t, duPlugin* plugin, VARIANT* out) {
        if (plugin == t.self) {
            out->vt = VT_I4;
            out->lVal = CHILDID_SELF;
            return S_OK;
        }
        IDispatch* node = nullptr;
        if (HRESULT hr = NodeOf(t, plugin, &node); FAILED(hr)) return hr;
        out->vt = VT_DISPATCH;
        out->pdispVal = node;
        return S_OK;
    }

    template <typename Get>
    HRESULT Text(VARIANT child, BSTR* out, Get get) {
        if (!out) return E_POINTER;
        *out = nullptr;
        Target t;
        if (HRESULT hr = Resolve(child, &t); FAILED(hr)) return hr;
        return TextAnswer(get(t), out);
    }

    template <typename Get>
    HRESULT Number(VARIANT child, VARIANT* out, Get get) {
        if (!out) return E_POINTER;
        ::VariantInit(out);
        Target t;
        if (HRESULT hr = Resolve(child, &t); FAILED(hr)) return hr;
        out->vt = VT_I4;
        out->lVal = get(t);
        return S_OK;
    }

    LONG refs_ = 1;
    HWND hwnd_;
    LONG id_;
};

}  // namespace

IAccessible* NewAccessibleObject(HWND hwnd, LONG id) { return new (std::nothrow) AccessibleNode(hwnd, id); }
