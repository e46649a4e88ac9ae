#pragma once
// An environment variable set (or, with nullopt, removed) until the end of the scope.

#include <optional>
#include <string>

namespace pw::test {

class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_saved;
};

} // namespace pw::test
