#include "platform/forms/backends/win32/accessibility.h"

#include <oleacc.h>

namespace vantrel::win32 {
namespace {

struct Oleacc {
    decltype(&CreateStdAccessibleObject) CreateStandard = nullptr;
    decltype(&LresultFromObject) ObjectAnswer = nullptr;
};

template <typename Function>
Function Export(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// oleacc.dll by its full path in the system folder, and only once assistive technology asks:
// most runs never load it.
const Oleacc& Library() {
    static const Oleacc library = [] {
        Oleacc found;
        wchar_t folder[MAX_PATH];
        const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) {
            return found;
        }
        const std::wstring path = std::wstring(folder, length) + L"\\oleacc.dll";
        if (const HMODULE module = LoadLibraryW(path.c_str())) {
            found.CreateStandard =
                Export<decltype(found.CreateStandard)>(module, "CreateStdAccessibleObject");
            found.ObjectAnswer = Export<decltype(found.ObjectAnswer)>(module, "LresultFromObject");
        }
        return found;
    }();
    return library;
}

bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

HRESULT Answer(const std::wstring& text, BSTR* out) {
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

// The system's description of a window with our facts put over it. Every question about the
// window itself that the facts answer is answered here; the rest goes to the system's.
class AmendedDescription final : public IAccessible {
  public:
    AmendedDescription(HWND window, FactsOf factsOf, IAccessible* system)
        : window_(window), factsOf_(factsOf), system_(system) {}
    AmendedDescription(const AmendedDescription&) = delete;
    AmendedDescription& operator=(const AmendedDescription&) = delete;

    // The system's other interfaces (the enumeration of children, the window) are its own.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (id == __uuidof(IUnknown) || id == __uuidof(IDispatch) || id == __uuidof(IAccessible)) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        return system_->QueryInterface(id, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) {
            system_->Release();
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        return system_->GetTypeInfoCount(count);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return system_->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID id, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        return system_->GetIDsOfNames(id, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID id, LCID locale, WORD flags,
                                     DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                     UINT* wrongArgument) override {
        return system_->Invoke(member, id, locale, flags, parameters, result, exception,
                               wrongArgument);
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return system_->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (Facts().Leaf) {
            *count = 0;
            return S_OK;
        }
        return system_->get_accChildCount(count);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        if (Facts().Leaf) {
            *object = nullptr;
            return E_INVALIDARG;
        }
        return system_->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        return Text(child, &AccessibleFacts::Name, name, &IAccessible::get_accName);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return Text(child, &AccessibleFacts::Value, value, &IAccessible::get_accValue);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        return Text(child, &AccessibleFacts::Description, description,
                    &IAccessible::get_accDescription);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        const AccessibleFacts facts = Facts();
        if (IsSelf(child) && facts.Role) {
            role->vt = VT_I4;
            role->lVal = *facts.Role;
            return S_OK;
        }
        return system_->get_accRole(child, role);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        const HRESULT result = system_->get_accState(child, state);
        if (SUCCEEDED(result) && IsSelf(child) && state->vt == VT_I4 && Facts().ReadOnly) {
            state->lVal |= STATE_SYSTEM_READONLY;
        }
        return result;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return system_->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return system_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return system_->get_accKeyboardShortcut(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
        return system_->get_accFocus(child);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return system_->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return system_->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long how, VARIANT child) override {
        return system_->accSelect(how, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override {
        return system_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return system_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long left, long top, VARIANT* child) override {
        return system_->accHitTest(left, top, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return system_->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return system_->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return system_->put_accValue(child, value);
    }

  private:
    ~AmendedDescription() = default;

    AccessibleFacts Facts() const { return factsOf_(window_); }

    HRESULT Text(const VARIANT& child, std::optional<std::wstring> AccessibleFacts::*part,
                 BSTR* out, HRESULT (STDMETHODCALLTYPE IAccessible::*system)(VARIANT, BSTR*)) {
        const AccessibleFacts facts = Facts();
        if (IsSelf(child) && facts.*part) {
            return Answer(*(facts.*part), out);
        }
        return (system_->*system)(child, out);
    }

    HWND window_;
    FactsOf factsOf_;
    IAccessible* system_;
    LONG references_ = 1;
};

}  // namespace

LRESULT AnswerGetObject(HWND window, WPARAM flags, LPARAM objectId, FactsOf factsOf) {
    const Oleacc& oleacc = Library();
    if (static_cast<LONG>(objectId) != OBJID_CLIENT || oleacc.CreateStandard == nullptr ||
        oleacc.ObjectAnswer == nullptr) {
        return 0;
    }
    // The answer is handed over through COM, which the window's thread must have joined; an
    // apartment it already belongs to serves as well.
    static const HRESULT joined = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    static_cast<void>(joined);
    IAccessible* system = nullptr;
    if (FAILED(oleacc.CreateStandard(window, OBJID_CLIENT, __uuidof(IAccessible),
                                     reinterpret_cast<void**>(&system)))) {
        return 0;
    }
    auto* amended = new AmendedDescription(window, factsOf, system);
    const LRESULT answer = oleacc.ObjectAnswer(__uuidof(IAccessible), flags, amended);
    amended->Release();
    return answer > 0 ? answer : 0;
}

}  // namespace vantrel::win32
