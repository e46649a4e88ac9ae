#pragma once
// Velomail: an in-process component that sends one plain-text e-mail message over SMTP.
//
// A client creates the `Smtp` object through the class factory that DllGetClassObject hands
// out (or through the client helper in velomail/client, which finds the library through the
// per-user registry file), asks it for ISmtp and calls Open, Send (once or several times)
// and Close. Each of these answers "OK" or "FAIL" in a newly allocated UTF-16 string that the
// caller frees with VmFreeString.
//
// The interfaces below are abstract bases with a fixed slot order: the library and its
// clients agree on the virtual table layout only, never on a C++ class. Reference counting
// decides the objects' lifetime, so their destructors are protected and not virtual (a
// virtual destructor would add slots).

#include <cstdint>

#define VELOMAIL_EXPORT __attribute__((visibility("default")))

struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];

    friend constexpr bool operator==(const GUID&, const GUID&) = default;
};

using HRESULT = std::int32_t;

// Status values. Negative values are failures; S_FALSE is a success that answers "no".
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006u);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);
// The class is missing from the registry file, or its entry is incomplete.
inline constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
// Writing or cleaning the registry file failed.
inline constexpr HRESULT SELFREG_E_CLASS = static_cast<HRESULT>(0x80040201u);
// The ProgID is not registered.
inline constexpr HRESULT CO_E_CLASSSTRING = static_cast<HRESULT>(0x800401F3u);
// The registered library could not be loaded.
inline constexpr HRESULT CO_E_DLLNOTFOUND = static_cast<HRESULT>(0x800401F8u);
// The registered library lacks the entry points of a component server.
inline constexpr HRESULT CO_E_ERRORINDLL = static_cast<HRESULT>(0x800401F9u);

// {00000000-0000-0000-C000-000000000046}
inline constexpr GUID IID_IUnknown{
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {00000001-0000-0000-C000-000000000046}
inline constexpr GUID IID_IClassFactory{
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {00020400-0000-0000-C000-000000000046}
inline constexpr GUID IID_IDispatch{
    0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {212D4FC3-AEBC-11D5-B108-0050BF1BCBE3}: "Velomail 1.0 Type Library", version 1.0.
inline constexpr GUID LIBID_VELOMAILLib{
    0x212D4FC3, 0xAEBC, 0x11D5, {0xB1, 0x08, 0x00, 0x50, 0xBF, 0x1B, 0xCB, 0xE3}};
// {212D4FD0-AEBC-11D5-B108-0050BF1BCBE3}: "Smtp Class".
inline constexpr GUID CLSID_Smtp{
    0x212D4FD0, 0xAEBC, 0x11D5, {0xB1, 0x08, 0x00, 0x50, 0xBF, 0x1B, 0xCB, 0xE3}};
// {212D4FCF-AEBC-11D5-B108-0050BF1BCBE3}: "ISmtp Interface".
inline constexpr GUID IID_ISmtp{
    0x212D4FCF, 0xAEBC, 0x11D5, {0xB1, 0x08, 0x00, 0x50, 0xBF, 0x1B, 0xCB, 0xE3}};

// The ProgIDs the registry file maps to CLSID_Smtp.
inline constexpr const char* VELOMAIL_SMTP_PROGID = "Velomail.Smtp.1";
inline constexpr const char* VELOMAIL_SMTP_PROGID_INDEPENDENT = "Velomail.Smtp";

// Dispatch ids that IDispatch::GetIDsOfNames gives for the methods of ISmtp.
inline constexpr std::int32_t DISPID_SMTP_ONSTARTPAGE = 0x60020000;
inline constexpr std::int32_t DISPID_SMTP_ONENDPAGE = 0x60020001;
inline constexpr std::int32_t DISPID_SMTP_OPEN = 1;
inline constexpr std::int32_t DISPID_SMTP_SEND = 2;
inline constexpr std::int32_t DISPID_SMTP_CLOSE = 3;
inline constexpr std::int32_t DISPID_UNKNOWN = -1;

// Late-binding types that only appear as pointers in IDispatch; Velomail never fills them.
class ITypeInfo;
struct DISPPARAMS;
struct VARIANT;
struct EXCEPINFO;

class IUnknown {
public:
    // On success *ppvObject holds a new reference; on failure it is null.
    virtual HRESULT QueryInterface(const GUID& riid, void** ppvObject) = 0;
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;

protected:
    ~IUnknown() = default;
};

class IClassFactory : public IUnknown {
public:
    virtual HRESULT CreateInstance(IUnknown* pUnkOuter, const GUID& riid, void** ppvObject) = 0;
    // A non-zero fLock keeps the library loaded until a matching call with zero.
    virtual HRESULT LockServer(std::int32_t fLock) = 0;

protected:
    ~IClassFactory() = default;
};

// Velomail offers no type information and answers E_NOTIMPL to Invoke: late-binding
// callers can look the method ids up, everyone else calls ISmtp directly.
class IDispatch : public IUnknown {
public:
    virtual HRESULT GetTypeInfoCount(std::uint32_t* pctinfo) = 0;
    virtual HRESULT GetTypeInfo(std::uint32_t iTInfo, std::uint32_t lcid, ITypeInfo** ppTInfo) = 0;
    // rgszNames[0] is a method name (compared without regard to letter case); any further
    // names are argument names, which have no ids here and come back as DISPID_UNKNOWN.
    virtual HRESULT GetIDsOfNames(const GUID& riid, const char16_t* const* rgszNames,
                                  std::uint32_t cNames, std::uint32_t lcid,
                                  std::int32_t* rgDispId) = 0;
    virtual HRESULT Invoke(std::int32_t dispIdMember, const GUID& riid, std::uint32_t lcid,
                           std::uint16_t wFlags, DISPPARAMS* pDispParams, VARIANT* pVarResult,
                           EXCEPINFO* pExcepInfo, std::uint32_t* puArgErr) = 0;

protected:
    ~IDispatch() = default;
};

// Text arguments are NUL-terminated UTF-16; a null pointer counts as an empty text. Every
// method returns S_OK when it could report its outcome: *pRet then holds "OK" or "FAIL",
// owned by the caller (free it with VmFreeString). A null pRet gives E_POINTER and does
// nothing; a failed allocation of the result gives E_OUTOFMEMORY with *pRet null.
class ISmtp : public IDispatch {
public:
    // Hooks for a scripting host; piUnk must not be null.
    virtual HRESULT OnStartPage(IUnknown* piUnk) = 0;
    virtual HRESULT OnEndPage() = 0;
    // SmtpAddr: host name or address of the server, optionally followed by ":PORT" (an IPv6
    // address with a port is written "[ADDRESS]:PORT"); the port defaults to 25. Opening
    // while connected closes the current connection first.
    virtual HRESULT Open(const char16_t* SmtpAddr, char16_t** pRet) = 0;
    // Sends one message from `From` to `To`. Addresses containing CR, LF, "<" or ">", a
    // subject containing CR or LF, a sender longer than 241 or a recipient longer than 243
    // bytes (UTF-8) are refused with "FAIL" before anything is sent. The texts go out as
    // UTF-8; a message text outside ASCII is labelled "charset=utf-8", any other
    // "charset=us-ascii".
    virtual HRESULT Send(const char16_t* To, const char16_t* From, const char16_t* Subj,
                         const char16_t* Msg, char16_t** pRet) = 0;
    // Says goodbye to the server and closes the connection, even when the goodbye fails.
    virtual HRESULT Close(char16_t** pRet) = 0;

protected:
    ~ISmtp() = default;
};

extern "C" {

// Hands out the class factory of CLSID_Smtp.
VELOMAIL_EXPORT HRESULT DllGetClassObject(const GUID& rclsid, const GUID& riid, void** ppv);
// S_OK when no object, no factory reference held by a client and no server lock is left.
VELOMAIL_EXPORT HRESULT DllCanUnloadNow();
// Writes the class's entries into the per-user registry file
// ($XDG_CONFIG_HOME/pairwell/components.ini, by default under ~/.config), keeping the
// entries of other classes.
VELOMAIL_EXPORT HRESULT DllRegisterServer();
// Removes the class's entries from the registry file again.
VELOMAIL_EXPORT HRESULT DllUnregisterServer();
// Frees a result string of ISmtp; null is allowed.
VELOMAIL_EXPORT void VmFreeString(char16_t* text);

using DllGetClassObjectFn = HRESULT (*)(const GUID&, const GUID&, void**);
using DllCanUnloadNowFn = HRESULT (*)();
using VmFreeStringFn = void (*)(char16_t*);
}
