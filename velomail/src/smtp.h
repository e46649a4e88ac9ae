#pragma once
// The Smtp object: one connection to an SMTP server at a time, one message per Send.
//
// The object belongs to one thread at a time, so its reference count is a plain counter;
// the module lock count it touches is shared and atomic.

#include "connection.h"
#include "result_code.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <velomail/velomail.h>

namespace velomail {

class Smtp final : public ISmtp {
public:
    // Starts with one reference, owned by the creator.
    Smtp();
    ~Smtp();
    Smtp(const Smtp&) = delete;
    Smtp& operator=(const Smtp&) = delete;

    HRESULT QueryInterface(const GUID& riid, void** ppvObject) override;
    std::uint32_t AddRef() override;
    std::uint32_t Release() override;

    HRESULT GetTypeInfoCount(std::uint32_t* pctinfo) override;
    HRESULT GetTypeInfo(std::uint32_t iTInfo, std::uint32_t lcid, ITypeInfo** ppTInfo) override;
    HRESULT GetIDsOfNames(const GUID& riid, const char16_t* const* rgszNames, std::uint32_t cNames,
                          std::uint32_t lcid, std::int32_t* rgDispId) override;
    HRESULT Invoke(std::int32_t dispIdMember, const GUID& riid, std::uint32_t lcid,
                   std::uint16_t wFlags, DISPPARAMS* pDispParams, VARIANT* pVarResult,
                   EXCEPINFO* pExcepInfo, std::uint32_t* puArgErr) override;

    HRESULT OnStartPage(IUnknown* piUnk) override;
    HRESULT OnEndPage() override;
    HRESULT Open(const char16_t* SmtpAddr, char16_t** pRet) override;
    HRESULT Send(const char16_t* To, const char16_t* From, const char16_t* Subj,
                 const char16_t* Msg, char16_t** pRet) override;
    HRESULT Close(char16_t** pRet) override;

private:
    ResultCode open(const std::string& smtpAddr);
    ResultCode send(const std::string& to, const std::string& from, const std::string& subject,
                    const std::string& body);
    ResultCode close();

    // Sends one command line and reads its reply, which must carry one of `expected`.
    ResultCode command(std::string_view line, std::initializer_list<int> expected);
    ResultCode expectReply(std::initializer_list<int> expected);
    // A command of the mail transaction; a refusal resets the transaction.
    ResultCode transactionStep(std::string_view line, std::initializer_list<int> expected);

    std::uint32_t m_refCount = 1;
    bool m_connected = false;
    Connection m_connection;
};

} // namespace velomail
