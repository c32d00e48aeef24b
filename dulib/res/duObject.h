#pragma once
// Root of every skin-engine object. The first seven operations have the shape
// of the platform's dispatch interface; objects are never freed by reference
// count: their owner frees them through Destroy.
#include <windows.h>
#include <oaidl.h>

class duObject {
public:
    // Answers for IUnknown and IDispatch only.
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object);
    virtual ULONG STDMETHODCALLTYPE AddRef();
    // Always answers 1 and never frees.
    virtual ULONG STDMETHODCALLTYPE Release();
    virtual HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count);
    virtual HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info);
    virtual HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                                    DISPID* ids);
    virtual HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                             VARIANT* result, EXCEPINFO* exception, UINT* argError);

    // Destroys and frees the object; only its owner calls it.
    virtual void Destroy();
    // Constant class text ("duResManager", "duImage" ...). Note that <windows.h>
    // maps the name to GetClassNameW; every user sees the same mapping.
    virtual const wchar_t* GetClassName();

    duObject(const duObject&) = delete;
    duObject& operator=(const duObject&) = delete;

protected:
    duObject() = default;
    virtual ~duObject() = default;

private:
    LONG references_ = 1;
};

// Deleter for std::unique_ptr over engine objects: frees through Destroy.
struct duObjectDestroyer {
    void operator()(duObject* object) const {
        if (object) object->Destroy();
    }
};
