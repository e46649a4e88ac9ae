#include "smtp.h"

#include "message.h"
#include "module.h"
#include "text.h"

#include <algorithm>
#include <unistd.h>

namespace velomail {

namespace {

struct MethodId {
    std::u16string_view name;
    std::int32_t id;
};

constexpr MethodId MethodIds[] = {
    {u"OnStartPage", DISPID_SMTP_ONSTARTPAGE},
    {u"OnEndPage", DISPID_SMTP_ONENDPAGE},
    {u"Open", DISPID_SMTP_OPEN},
    {u"Send", DISPID_SMTP_SEND},
    {u"Close", DISPID_SMTP_CLOSE},
};

char16_t foldAscii(char16_t c) {
    return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c;
}

// Automation names are compared without regard to letter case.
bool sameName(std::u16string_view a, std::u16string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char16_t x, char16_t y) { return foldAscii(x) == foldAscii(y); });
}

// Runs one mail operation; allocation is the only thing that can throw on the way, and no
// exception may cross the interface.
template <class Operation>
ResultCode guarded(Operation operation) {
    try {
        return operation();
    } catch (...) {
        return ResultCode::OutOfMemory;
    }
}

HRESULT answer(ResultCode code, char16_t** pRet) {
    *pRet = newResultString(code == ResultCode::Success ? "OK" : "FAIL");
    return *pRet != nullptr ? S_OK : E_OUTOFMEMORY;
}

bool isExpected(int code, std::initializer_list<int> expected) {
    return std::find(expected.begin(), expected.end(), code) != expected.end();
}

} // namespace

Smtp::Smtp() : m_connection(timeoutFromEnvironment()) {
    lockModule();
}

Smtp::~Smtp() {
    unlockModule();
}

HRESULT Smtp::QueryInterface(const GUID& riid, void** ppvObject) {
    if (ppvObject == nullptr) {
        return E_POINTER;
    }
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_ISmtp) {
        *ppvObject = static_cast<ISmtp*>(this);
        AddRef();
        return S_OK;
    }
    *ppvObject = nullptr;
    return E_NOINTERFACE;
}

std::uint32_t Smtp::AddRef() {
    return ++m_refCount;
}

std::uint32_t Smtp::Release() {
    const std::uint32_t left = --m_refCount;
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT Smtp::GetTypeInfoCount(std::uint32_t* pctinfo) {
    if (pctinfo == nullptr) {
        return E_POINTER;
    }
    *pctinfo = 0;
    return S_OK;
}

HRESULT Smtp::GetTypeInfo(std::uint32_t, std::uint32_t, ITypeInfo** ppTInfo) {
    if (ppTInfo == nullptr) {
        return E_POINTER;
    }
    *ppTInfo = nullptr;
    return E_NOTIMPL;
}

HRESULT Smtp::GetIDsOfNames(const GUID&, const char16_t* const* rgszNames, std::uint32_t cNames,
                            std::uint32_t, std::int32_t* rgDispId) {
    if (rgszNames == nullptr || rgDispId == nullptr) {
        return E_POINTER;
    }
    if (cNames == 0) {
        return S_OK;
    }
    std::fill(rgDispId, rgDispId + cNames, DISPID_UNKNOWN);
    if (rgszNames[0] == nullptr) {
        return DISP_E_UNKNOWNNAME;
    }
    const auto* method =
        std::find_if(std::begin(MethodIds), std::end(MethodIds),
                     [&](const MethodId& m) { return sameName(m.name, rgszNames[0]); });
    if (method == std::end(MethodIds)) {
        return DISP_E_UNKNOWNNAME;
    }
    rgDispId[0] = method->id;
    return cNames == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

HRESULT Smtp::Invoke(std::int32_t, const GUID&, std::uint32_t, std::uint16_t, DISPPARAMS*, VARIANT*,
                     EXCEPINFO*, std::uint32_t*) {
    return E_NOTIMPL;
}

// Without a scripting host there is no context to fetch objects from; the hooks only
// accept the calls so that a host can make them.
HRESULT Smtp::OnStartPage(IUnknown* piUnk) {
    return piUnk == nullptr ? E_POINTER : S_OK;
}

HRESULT Smtp::OnEndPage() {
    return S_OK;
}

HRESULT Smtp::Open(const char16_t* SmtpAddr, char16_t** pRet) {
    if (pRet == nullptr) {
        return E_POINTER;
    }
    return answer(guarded([&] { return open(utf16ToUtf8(SmtpAddr)); }), pRet);
}

HRESULT Smtp::Send(const char16_t* To, const char16_t* From, const char16_t* Subj,
                   const char16_t* Msg, char16_t** pRet) {
    if (pRet == nullptr) {
        return E_POINTER;
    }
    return answer(guarded([&] {
                      return send(utf16ToUtf8(To), utf16ToUtf8(From), utf16ToUtf8(Subj),
                                  utf16ToUtf8(Msg));
                  }),
                  pRet);
}

HRESULT Smtp::Close(char16_t** pRet) {
    if (pRet == nullptr) {
        return E_POINTER;
    }
    return answer(guarded([&] { return close(); }), pRet);
}

ResultCode Smtp::open(const std::string& smtpAddr) {
    // One object holds one connection: the old one is ended properly, not leaked.
    if (m_connected) {
        close();
    }
    const auto address = parseServerAddress(smtpAddr);
    if (!address) {
        return ResultCode::ResolveFailed;
    }
    char localHost[256] = {};
    if (gethostname(localHost, sizeof localHost - 1) != 0) {
        return ResultCode::ResolveFailed;
    }
    ResultCode result = m_connection.connect(address->host, address->port);
    if (result == ResultCode::Success) {
        result = expectReply({220});
    }
    if (result == ResultCode::Success) {
        result = command(std::string("HELO ") + localHost + "\r\n", {250});
    }
    if (result != ResultCode::Success) {
        m_connection.close();
        return result;
    }
    m_connected = true;
    return ResultCode::Success;
}

ResultCode Smtp::send(const std::string& to, const std::string& from, const std::string& subject,
                      const std::string& body) {
    if (!m_connected) {
        return ResultCode::NotConnected;
    }
    if (!isSafeAddress(from, MaxSenderLength) || !isSafeAddress(to, MaxRecipientLength) ||
        !isSafeHeaderText(subject)) {
        return ResultCode::RefusedArgument;
    }
    // Built before the transaction starts, so a shortage of memory leaves the server alone.
    const std::string message = buildMessage(to, from, subject, body);
    ResultCode result = transactionStep("MAIL FROM:<" + from + ">\r\n", {250});
    if (result == ResultCode::Success) {
        result = transactionStep("RCPT TO:<" + to + ">\r\n", {250, 251});
    }
    if (result == ResultCode::Success) {
        result = transactionStep("DATA\r\n", {354});
    }
    if (result == ResultCode::Success) {
        result = m_connection.send(message);
        if (result != ResultCode::Success) {
            m_connection.abandon();
            return result;
        }
        result = expectReply({250});
    }
    return result;
}

ResultCode Smtp::close() {
    if (!m_connected) {
        return ResultCode::NotConnected;
    }
    const ResultCode result = command("QUIT\r\n", {221});
    m_connection.close();
    m_connected = false;
    return result;
}

ResultCode Smtp::command(std::string_view line, std::initializer_list<int> expected) {
    const ResultCode sent = m_connection.send(line);
    if (sent != ResultCode::Success) {
        m_connection.abandon();
        return sent;
    }
    return expectReply(expected);
}

ResultCode Smtp::expectReply(std::initializer_list<int> expected) {
    int code = 0;
    const ResultCode result = m_connection.readReply(code);
    if (result != ResultCode::Success) {
        m_connection.abandon();
        return result;
    }
    return isExpected(code, expected) ? ResultCode::Success : ResultCode::UnexpectedReply;
}

ResultCode Smtp::transactionStep(std::string_view line, std::initializer_list<int> expected) {
    const ResultCode result = command(line, expected);
    if (result == ResultCode::UnexpectedReply) {
        // RFC 5321 4.1.1.5: RSET drops the half-built transaction, so the next Send on this
        // connection starts afresh instead of meeting "503 nested MAIL command". Its own
        // outcome does not change this Send's answer.
        command("RSET\r\n", {250});
    }
    return result;
}

} // namespace velomail
